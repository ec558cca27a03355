#pragma once
// What the windows of the program share and the staff may change while they
// are open: the log folder, the default words, the slot headers of the day
// table and the room list. One owner, so that whatever reads them (the watch
// of the day, "Période…", saving) follows a change the moment it is made
// instead of going on with what it was given when it started.

#include "app/results/SaveTarget.h"
#include "logscan/TextList.h"

#include <QObject>

#include <filesystem>
#include <string>
#include <vector>

namespace kiv {

class WindowSettings : public QObject {
    Q_OBJECT

public:
    // wordFile: the start-up word list ("kiv.ini" beside the executable, or
    // the configuration folder's for the installed program).
    WindowSettings(std::filesystem::path configFolder, std::filesystem::path wordFile,
                   std::filesystem::path logFolder, TextList defaultWords, QObject* parent);

    const std::filesystem::path& ConfigFolder() const noexcept { return configFolder_; }
    const std::filesystem::path& WordFile() const noexcept { return wordFile_; }
    const std::filesystem::path& LogFolder() const noexcept { return logFolder_; }
    const TextList& DefaultWords() const noexcept { return defaultWords_; }
    // The header cells of the day table, as its first row shows them.
    const std::vector<std::string>& SlotHeaderRow() const noexcept { return slotHeaderRow_; }
    // The rooms of the room list, without "Toutes".
    const TextList& Rooms() const noexcept { return rooms_; }

    // Each setter tells of a change only when the value did change.
    void SetLogFolder(const std::filesystem::path& folder);
    void SetDefaultWords(TextList words);
    void SetSlotHeaderRow(std::vector<std::string> row);
    void SetRooms(TextList rooms);

    // What "Enregistrer" may not write over, wherever it saves: the list
    // files and the log folder in use now.
    ProgramFiles ReadFiles() const;

signals:
    void LogFolderChanged();
    void DefaultWordsChanged();
    void SlotHeadersChanged();
    void RoomsChanged();

private:
    std::filesystem::path configFolder_;
    std::filesystem::path wordFile_;
    std::filesystem::path logFolder_;
    TextList defaultWords_;
    std::vector<std::string> slotHeaderRow_;
    TextList rooms_;
};

} // namespace kiv
