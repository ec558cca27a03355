#pragma once
// The room use of a period as a heat map: rooms as rows, the eight slots as
// columns, each cell filled by its count on a scale of one hue from light to
// dark (read by lightness alone, so colour-blind staff read it too), the count
// written in black or white, whichever keeps the stronger contrast. A total
// column and a total row on a neutral ground. It is Qt's table view, so the
// keyboard, tooltips and screen readers (a table of cells that read
// "S514, 09h20 : 37") work as in any table.

#include "jobs/PeriodJob.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QTableView>

class QPainter;
class QRectF;

namespace kiv {

// The ground of a count on the scale, max being the largest slot count of
// the map: 0 the lightest, max the darkest.
QColor HeatColor(std::uint64_t count, std::uint64_t max);
// Black or white, whichever contrasts more with ground (WCAG's contrast ratio).
QColor TextColorOn(const QColor& ground);
// WCAG's contrast ratio of two colours, from 1 to 21.
double ContrastRatio(const QColor& a, const QColor& b);

class HeatMapModel : public QAbstractTableModel {
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    void SetUse(PeriodUse use);
    const PeriodUse& Use() const noexcept { return use_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The count of a cell: a room's slot, its total, or the totals row.
    std::uint64_t Count(int row, int column) const;
    // "S514, 09h20 : 37": what a tooltip and a screen reader say of a cell.
    QString CellSpeech(int row, int column) const;
    bool IsTotal(int row, int column) const;

private:
    QString RowName(int row) const;
    QString ColumnName(int column) const; // on one line

    PeriodUse use_;
    std::uint64_t max_ = 0;
};

class HeatMap : public QTableView {
    Q_OBJECT

public:
    explicit HeatMap(QWidget* parent = nullptr);
    HeatMapModel& Model() noexcept { return model_; }

private:
    HeatMapModel model_;
};

// Draws the map with its title on one page: the same cells, grounds and
// counts as on screen, scaled down to fit the page when the rooms are many.
void PaintHeatMap(QPainter& painter, const QRectF& page, const PeriodUse& use, const QString& title);

} // namespace kiv
