#pragma once
// The rooms of the room box: the room list as it was read, Windows-1252
// bytes held as the list holds them, turned into text only for the rows the
// box shows, and "Toutes" after them. A room list of 100 MB costs the window
// what it costs in memory as a list, not a text and an item per room.

#include "app/runs/WorkerRun.h"
#include "logscan/TextList.h"

#include <QAbstractListModel>

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace kiv {

class RoomListModel : public QAbstractListModel {
    Q_OBJECT

public:
    explicit RoomListModel(QObject* parent = nullptr);

    // The rooms, then "Toutes".
    void SetRooms(TextList rooms);
    // Every row as the box offers it, "Toutes" last.
    TextList Rows() const;

    // Reads the room list file. A list of a school's size is read at once
    // and returned, so that the box is whole when the window first shows;
    // one that cannot be read throws KivError "Impossible d'ouvrir le fichier
    // %s" with shownName. A larger one is read beside the window: nothing is
    // returned, and FileRead follows, unless rooms were set meanwhile (the
    // room dialog's OK is newer than the file read at start-up).
    std::optional<TextList> ReadFile(const std::filesystem::path& path, const std::string& shownName);
    // The rooms of the read that FileRead announced, to set.
    TextList TakeReadRooms() { return std::exchange(readRooms_, TextList()); }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

signals:
    // A read beside the window ended; failure is the error to show (empty
    // when the rooms were read).
    void FileRead(const std::string& failure);

private:
    using Read = WorkerRun<std::monostate, TextList>;
    void ReadEnded(Read::Ending ending);

    TextList rooms_;
    TextList readRooms_;
    bool readWanted_ = false;
    Read read_;
};

} // namespace kiv
