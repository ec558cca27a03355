#pragma once
// The rooms of the room box: the room list as it was read, Windows-1252
// bytes held as the list holds them, turned into text only for the rows the
// box shows, and "Toutes" after them. A room list of 100 MB costs the window
// what it costs in memory as a list, not a text and an item per room.

#include "TextList.h"

#include <QAbstractListModel>

namespace kiv {

class RoomListModel : public QAbstractListModel {
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    // The rooms, then "Toutes".
    void SetRooms(TextList rooms);
    // Every row as the box offers it, "Toutes" last.
    TextList Rows() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    TextList rooms_;
};

} // namespace kiv
