#pragma once
// What the three list dialogs (rooms, time slots, default words) share: a text
// box Memo1 with the list, OK that writes the list file and Cancel that
// writes nothing. The list file lives in the configuration folder under its
// bare name.

#include "TextList.h"

#include <QDialog>

#include <filesystem>
#include <string>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace kiv {

class TListDialog : public QDialog {
    Q_OBJECT

public:
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    // The list file's bare name, as the messages show it.
    const std::string& FileName() const noexcept { return fileName_; }
    std::filesystem::path FilePath() const;

    // Fills Memo1 with the list, one entry per line.
    void SetLines(const TextList& lines);
    // Memo1's text as the file receives it: Windows-1252, lines joined by
    // CR LF, no break added after the last line.
    std::string MemoBytes() const;
    // Memo1's entries, read by the same rules as a list file.
    TextList MemoLines() const;

public slots:
    // Writes Memo1 to the list file, then ends the dialog with OK, even when
    // the file cannot be written (the failure is shown).
    void OKBtnClick();
    // Ends the dialog with Cancel; nothing is written.
    void CancelBtnClick();

protected:
    TListDialog(std::string fileName, std::filesystem::path configFolder, QWidget* parent);

    // A plain-text label at its designed place (call after the dialog has
    // its size).
    QLabel* AddLabel(const char* name, const QString& text, QPoint place);

    // The control that has the focus whenever the dialog opens.
    void SetInitialFocus(QWidget* widget) { initialFocus_ = widget; }
    void showEvent(QShowEvent* event) override;

private:
    std::string fileName_;
    std::filesystem::path configFolder_;
    QWidget* initialFocus_ = nullptr;
};

} // namespace kiv
