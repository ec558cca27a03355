#pragma once
// Shared by the window tests: a temporary executable folder and configuration
// folder, list files written and read as raw bytes, and the error boxes
// captured instead of shown.

#include "app/lists/ListDialog.h"
#include "app/window/KivErrorBox.h"
#include "app/window/StartupPaths.h"
#include "app/window/Unit1.h"
#include "grid/TSlotGrid.h"
#include "jobs/KeywordSearchJob.h"
#include "logscan/TextList.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace kivtest {

class Folders {
public:
    Folders()
    {
        QVERIFY(dir_.isValid());
        root_ = std::filesystem::path(dir_.path().toStdU16String());
        std::filesystem::create_directories(Exe());
        std::filesystem::create_directories(Config());
    }

    std::filesystem::path Exe() const { return root_ / "exe"; }
    std::filesystem::path Config() const { return root_ / "cfg"; }

    kiv::StartupPaths Paths() const { return {Exe(), Config(), root_ / "logs"}; }

    static void Write(const std::filesystem::path& path, const std::string& bytes)
    {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }
    static std::string Read(const std::filesystem::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // A folder with the file's name: it exists but cannot be read as a file,
    // whoever runs the tests.
    static void MakeUnreadable(const std::filesystem::path& path) { std::filesystem::create_directories(path); }

private:
    QTemporaryDir dir_;
    std::filesystem::path root_;
};

// Collects the error boxes' texts while it lives.
class ErrorCapture {
public:
    ErrorCapture()
    {
        kiv::ErrorBoxHook = [this](QWidget*, const std::string& text) { messages.push_back(text); };
    }
    ~ErrorCapture() { kiv::ErrorBoxHook = nullptr; }
    ErrorCapture(const ErrorCapture&) = delete;
    ErrorCapture& operator=(const ErrorCapture&) = delete;

    std::vector<std::string> messages;
};

// The seven words the window watches when no kiv.ini gives others.
inline const kiv::TextList kBuiltInWords{"sexe", "sexy", "enculer", "bites", "seins nu", "femme nu", "femmes nu"};

// Waits until a list dialog holds its whole list, which comes in from its
// worker.
inline bool WaitForList(kiv::TListDialog& dialog)
{
    QSignalSpy loaded(&dialog, &kiv::TListDialog::Loaded);
    return !dialog.Loading() || loaded.wait(10000);
}

// OK pressed: the dialog ends once its worker has written the list.
inline int PressOk(kiv::TListDialog& dialog)
{
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.OKBtn->click();
    if (finished.isEmpty())
        finished.wait(10000);
    return dialog.result();
}

// A text box's text replaced as a user who selects it all and types does.
inline void TypeOver(kiv::LinesEdit& edit, const QString& text)
{
    edit.selectAll();
    edit.ReplaceSelection(text);
}

// The header row of the window's table, as the grid shows it.
inline std::vector<std::string> HeaderRow(const kiv::TForm1& form)
{
    std::vector<std::string> row;
    for (int c = 0; c < 8; ++c)
        row.push_back(form.SlotGrid1->CellText(c, 0));
    return row;
}

// A result as the keyword search hands it to the view, its bold part named
// by its text (the search alone decides which word is bold; these lines only
// stand for what it found).
inline kiv::KeywordSearchResult Found(std::string line, std::string_view bold = {})
{
    kiv::KeywordSearchResult result;
    const std::size_t at = bold.empty() ? std::string::npos : line.find(bold);
    if (at != std::string::npos) {
        result.boldStart = at;
        result.boldLength = bold.size();
    }
    result.line = std::move(line);
    return result;
}

} // namespace kivtest
