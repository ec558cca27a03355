#pragma once
// The day box of the room tab: a date typed as in the date boxes of the
// desktop. The digits typed go into the part of the date (day, month, year)
// that was clicked or reached with the arrows, replacing it; a day or a month
// is complete at two digits, the year at four, and typing goes on in the
// next part; "/" ends a part early. Ctrl+A and a whole date typed sets the
// whole date. The date changes once a part is complete and makes a date; a
// year of fewer than four digits is dropped when the box is left. Tab leaves
// the box, Enter confirms what it shows (a way to scan the day again), the
// arrows and the calendar work as in any date box.

#include <QDateEdit>
#include <QString>

namespace kiv {

class DayDateEdit : public QDateEdit {
    Q_OBJECT

public:
    explicit DayDateEdit(QWidget* parent = nullptr);

signals:
    // Enter pressed while the date stayed what it was.
    void Confirmed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum Part { Day, Month, Year, None };

    void TypeDigit(QChar digit);
    void EndPart();
    // Puts the typed digits of the part into the date; false when they make
    // no date (a day 0, a month 13).
    bool Commit();
    void Forget();
    void Show();
    Part PartAtCursor() const;

    Part part_ = None;
    QString digits_;
    bool committing_ = false;
};

} // namespace kiv
