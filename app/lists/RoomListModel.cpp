#include "app/lists/RoomListModel.h"

#include "logscan/FileIo.h"
#include "logscan/SessionParser.h"
#include "qtext/QtCp1252.h"

#include <utility>

namespace kiv {
namespace {

// About a hundred thousand rooms: read in a few milliseconds.
constexpr std::uint64_t kReadAtOnceBytes = std::uint64_t{1} << 20;
// The room box's edit holds no more characters than this (a line edit's
// limit): a longer room is cut there anyway, so the rest of a room of many
// megabytes is never turned into text, each time the box asks for it.
constexpr std::size_t kLongestRoomShown = 32767;

} // namespace

RoomListModel::RoomListModel(QObject* parent)
    : QAbstractListModel(parent)
    // No window to watch: the model goes with the room box, and its read
    // with it.
    , read_(nullptr, {}, [this](Read::Ending ending) { ReadEnded(std::move(ending)); })
{
}

void RoomListModel::SetRooms(TextList rooms)
{
    readWanted_ = false;
    beginResetModel();
    rooms_ = std::move(rooms);
    endResetModel();
}

std::optional<TextList> RoomListModel::ReadFile(const std::filesystem::path& path, const std::string& shownName)
{
    const auto state = LookAtFile(path);
    if (!state || state->size <= kReadAtOnceBytes)
        return LoadTextListFile(path, shownName);
    read_.Restart([path, shownName](Read::Outbox&) { return LoadTextListFile(path, shownName); });
    readWanted_ = true;
    return std::nullopt;
}

void RoomListModel::ReadEnded(Read::Ending ending)
{
    if (!std::exchange(readWanted_, false))
        return;
    readRooms_ = std::move(ending.result);
    emit FileRead(ending.failure);
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
    return FromCp1252((row < rooms_.size() ? rooms_[row] : std::string_view(kAllRooms)).substr(0, kLongestRoomShown));
}

} // namespace kiv
