#include "app/period/HeatMap.h"

#include "qtext/QtCp1252.h"

#include <QFont>
#include <QHeaderView>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>

namespace kiv {
namespace {

// ColorBrewer's "Blues": nine steps of one hue whose lightness falls
// steadily, made to be told apart by colour-blind readers and in grey print.
constexpr std::array<QRgb, 9> kScale{0xf7fbff, 0xdeebf7, 0xc6dbef, 0x9ecae1, 0x6baed6,
                                     0x4292c6, 0x2171b5, 0x08519c, 0x08306b};
const QColor kTotalGround(0xee, 0xee, 0xee);

double Luminance(const QColor& colour)
{
    const auto linear = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

int Mix(int a, int b, double t)
{
    return static_cast<int>(std::lround(a + (b - a) * t));
}

} // namespace

QColor HeatColor(std::uint64_t count, std::uint64_t max)
{
    if (count == 0 || max == 0)
        return QColor(kScale.front());
    // Any use at all is tinted: the scale's first step stands for none.
    const double position = 1.0 + 7.0 * static_cast<double>(std::min(count, max)) / static_cast<double>(max);
    const std::size_t low = std::min<std::size_t>(static_cast<std::size_t>(position), kScale.size() - 2);
    const double t = position - static_cast<double>(low);
    const QColor a(kScale[low]);
    const QColor b(kScale[low + 1]);
    return QColor(Mix(a.red(), b.red(), t), Mix(a.green(), b.green(), t), Mix(a.blue(), b.blue(), t));
}

double ContrastRatio(const QColor& a, const QColor& b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor TextColorOn(const QColor& ground)
{
    return ContrastRatio(ground, Qt::black) >= ContrastRatio(ground, Qt::white) ? QColor(Qt::black) : QColor(Qt::white);
}

void HeatMapModel::SetUse(PeriodUse use)
{
    beginResetModel();
    use_ = std::move(use);
    max_ = 0;
    for (const RoomUse& room : use_.rooms)
        for (std::uint64_t count : room.bySlot)
            max_ = std::max(max_, count);
    endResetModel();
}

int HeatMapModel::rowCount(const QModelIndex& parent) const
{
    // No map before a count has ended: not even a totals row.
    return parent.isValid() || use_.headers.empty() ? 0 : static_cast<int>(use_.rooms.size()) + 1;
}

int HeatMapModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() || use_.headers.empty() ? 0 : kSlotColumnCount + 1;
}

bool HeatMapModel::IsTotal(int row, int column) const
{
    return row == static_cast<int>(use_.rooms.size()) || column == kSlotColumnCount;
}

std::uint64_t HeatMapModel::Count(int row, int column) const
{
    const bool totalsRow = row == static_cast<int>(use_.rooms.size());
    if (column == kSlotColumnCount)
        return totalsRow ? use_.Total() : use_.rooms[static_cast<std::size_t>(row)].Total();
    const auto c = static_cast<std::size_t>(column);
    return totalsRow ? use_.SlotTotals()[c] : use_.rooms[static_cast<std::size_t>(row)].bySlot[c];
}

QString HeatMapModel::RowName(int row) const
{
    return row == static_cast<int>(use_.rooms.size()) ? FromCp1252(kAllRooms)
                                                       : FromCp1252(use_.rooms[static_cast<std::size_t>(row)].room);
}

QString HeatMapModel::ColumnName(int column) const
{
    if (column == kSlotColumnCount)
        return QStringLiteral("total");
    QString header = FromCp1252(use_.headers[static_cast<std::size_t>(column)]);
    return header.replace(QLatin1Char('\r'), QLatin1Char(' '));
}

QString HeatMapModel::CellSpeech(int row, int column) const
{
    return QStringLiteral("%1, %2 : %3").arg(RowName(row), ColumnName(column)).arg(Count(row, column));
}

QVariant HeatMapModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row();
    const int column = index.column();
    const QColor ground = IsTotal(row, column) ? kTotalGround : HeatColor(Count(row, column), max_);
    switch (role) {
    case Qt::DisplayRole:
        return QString::number(Count(row, column));
    case Qt::BackgroundRole:
        return ground;
    case Qt::ForegroundRole:
        return TextColorOn(ground);
    case Qt::ToolTipRole:
    case Qt::AccessibleTextRole:
        return CellSpeech(row, column);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignCenter);
    case Qt::FontRole:
        if (IsTotal(row, column)) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    default:
        return {};
    }
}

QVariant HeatMapModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return {};
    if (orientation == Qt::Vertical)
        return RowName(section);
    if (section == kSlotColumnCount || role == Qt::AccessibleTextRole)
        return ColumnName(section);
    // A two-line slot header shows on two lines.
    QString header = FromCp1252(use_.headers[static_cast<std::size_t>(section)]);
    return header.replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

HeatMap::HeatMap(QWidget* parent)
    : QTableView(parent)
{
    setModel(&model_);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    horizontalHeader()->setMinimumSectionSize(56);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(26);
    setAccessibleName(QStringLiteral("Occupation des salles par créneau"));
}

void PaintHeatMap(QPainter& painter, const QRectF& page, const PeriodUse& use, const QString& title)
{
    HeatMapModel map;
    map.SetUse(use);
    const int rows = map.rowCount() + 1;       // the header row on top
    const int columns = map.columnCount() + 1; // the room names on the left
    painter.save();
    QFont font(QStringLiteral("Tahoma"));
    const double titleHeight = page.height() / 14;
    font.setPixelSize(std::max(1, static_cast<int>(titleHeight * 0.45)));
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(page.left(), page.top(), page.width(), titleHeight), Qt::AlignLeft | Qt::AlignVCenter, title);

    // The room names take a column and a half; the rows never grow taller
    // than a title line, and shrink to fit when the rooms are many.
    const double cellWidth = page.width() / (columns + 0.5);
    const double nameWidth = cellWidth * 1.5;
    const double rowHeight = std::min(titleHeight * 0.8, (page.height() - titleHeight * 1.2) / rows);
    const double top = page.top() + titleHeight * 1.2;
    font.setPixelSize(std::max(1, static_cast<int>(rowHeight * 0.38)));
    const auto cellRect = [&](int row, int column) {
        const double x = column == 0 ? page.left() : page.left() + nameWidth + (column - 1) * cellWidth;
        return QRectF(x, top + row * rowHeight, column == 0 ? nameWidth : cellWidth, rowHeight);
    };
    painter.setPen(QPen(Qt::gray, 0));
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column) {
            const QRectF rect = cellRect(row, column);
            QString text;
            QColor ground = Qt::white;
            QColor ink = Qt::black;
            font.setBold(row == 0 || column == 0);
            if (row == 0 && column > 0) {
                text = map.headerData(column - 1, Qt::Horizontal, Qt::DisplayRole).toString();
            } else if (column == 0 && row > 0) {
                text = map.headerData(row - 1, Qt::Vertical, Qt::DisplayRole).toString();
            } else if (row > 0) {
                const QModelIndex index = map.index(row - 1, column - 1);
                text = index.data(Qt::DisplayRole).toString();
                ground = index.data(Qt::BackgroundRole).value<QColor>();
                ink = index.data(Qt::ForegroundRole).value<QColor>();
                font.setBold(map.IsTotal(row - 1, column - 1));
            }
            painter.fillRect(rect, ground);
            painter.setPen(QPen(Qt::gray, 0));
            painter.drawRect(rect);
            painter.setPen(ink);
            painter.setFont(font);
            painter.drawText(rect, Qt::AlignCenter, text);
        }
    painter.restore();
}

} // namespace kiv
