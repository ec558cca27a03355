#include "app/window/WindowSettings.h"

#include <utility>

namespace kiv {

WindowSettings::WindowSettings(std::filesystem::path configFolder, std::filesystem::path wordFile,
                               std::filesystem::path logFolder, TextList defaultWords, QObject* parent)
    : QObject(parent)
    , configFolder_(std::move(configFolder))
    , wordFile_(std::move(wordFile))
    , logFolder_(std::move(logFolder))
    , defaultWords_(std::move(defaultWords))
{
}

void WindowSettings::SetLogFolder(const std::filesystem::path& folder)
{
    if (folder == logFolder_)
        return;
    logFolder_ = folder;
    emit LogFolderChanged();
}

void WindowSettings::SetDefaultWords(TextList words)
{
    if (words == defaultWords_)
        return;
    defaultWords_ = std::move(words);
    emit DefaultWordsChanged();
}

void WindowSettings::SetSlotHeaderRow(std::vector<std::string> row)
{
    if (row == slotHeaderRow_)
        return;
    slotHeaderRow_ = std::move(row);
    emit SlotHeadersChanged();
}

void WindowSettings::SetRooms(TextList rooms)
{
    if (rooms == rooms_)
        return;
    rooms_ = std::move(rooms);
    emit RoomsChanged();
}

ProgramFiles WindowSettings::ReadFiles() const
{
    return {{wordFile_, configFolder_ / "kiv.ini", configFolder_ / "kiv_salles.txt", configFolder_ / "kiv_heures.txt"},
            logFolder_};
}

} // namespace kiv
