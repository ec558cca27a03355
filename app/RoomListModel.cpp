#include "RoomListModel.h"

#include "QtCp1252.h"
#include "SessionParser.h"

#include <utility>

namespace kiv {

void RoomListModel::SetRooms(TextList rooms)
{
    beginResetModel();
    rooms_ = std::move(rooms);
    endResetModel();
}

TextList RoomListModel::Rows() const
{
    TextList rows = rooms_;
    rows.push_back(kAllRooms);
    return rows;
}

int RoomListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rooms_.size()) + 1;
}

QVariant RoomListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    return FromCp1252(row < rooms_.size() ? rooms_[row] : std::string_view(kAllRooms));
}

} // namespace kiv
