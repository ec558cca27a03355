#include "app/window/DayDateEdit.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>

#include <algorithm>

namespace kiv {
namespace {

// The box shows dd/MM/yyyy: where each part starts and how many digits make it.
constexpr int kPartStart[] = {0, 3, 6};
constexpr int kPartDigits[] = {2, 2, 4};

} // namespace

DayDateEdit::DayDateEdit(QWidget* parent)
    : QDateEdit(parent)
{
    setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    lineEdit()->installEventFilter(this);
    // A day picked in the calendar, or set by the program, ends the typing
    // of a part.
    connect(this, &QDateEdit::dateChanged, this, [this] {
        if (!committing_) {
            part_ = None;
            digits_.clear();
        }
    });
}

DayDateEdit::Part DayDateEdit::PartAtCursor() const
{
    const QLineEdit* edit = lineEdit();
    // A selection over more than one part (Ctrl+A) starts the date from its day.
    if (edit->hasSelectedText() && edit->selectedText().size() > kPartDigits[Year])
        return Day;
    const int at = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
    return at <= kPartStart[Month] - 1 ? Day : at <= kPartStart[Year] - 1 ? Month : Year;
}

void DayDateEdit::keyPressEvent(QKeyEvent* event)
{
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    const QString text = event->text();
    if (plain && text.size() == 1 && text.front().isDigit() && text.front().unicode() < 128) {
        TypeDigit(text.front());
        event->accept();
        return;
    }
    if (plain && text.size() == 1 && (text == QLatin1String("/") || text == QLatin1String("."))) {
        if (part_ != None && !digits_.isEmpty())
            EndPart();
        event->accept();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        const QDate before = date();
        Commit();
        Forget();
        if (date() == before)
            emit Confirmed();
        event->accept();
        return;
    }
    case Qt::Key_Backspace:
        // Takes back a typed digit; a date box never holds less than a date.
        if (part_ != None && !digits_.isEmpty()) {
            digits_.chop(1);
            Show();
        }
        event->accept();
        return;
    case Qt::Key_Delete:
        event->accept();
        return;
    default:
        break;
    }
    // Arrows, steps, the calendar, shortcuts: as in any date box, on the date
    // as it stands.
    if (part_ != None && event->key() != Qt::Key_Shift && event->key() != Qt::Key_Control) {
        Commit();
        Forget();
    }
    QDateEdit::keyPressEvent(event);
}

void DayDateEdit::TypeDigit(QChar digit)
{
    if (part_ == None) {
        part_ = PartAtCursor();
        digits_.clear();
    }
    digits_ += digit;
    const int first = digits_.front().digitValue();
    // A day from 4 or a month from 2 can take no second digit.
    const bool complete = digits_.size() >= kPartDigits[part_] || (digits_.size() == 1 && part_ == Day && first > 3)
                          || (digits_.size() == 1 && part_ == Month && first > 1);
    if (complete)
        EndPart();
    else
        Show();
}

// The part's digits go into the date, and typing goes on in the next part.
void DayDateEdit::EndPart()
{
    const Part next = part_ == Year ? Year : static_cast<Part>(part_ + 1);
    if (!Commit()) {
        // Digits that make no date are dropped; the part is typed again.
        digits_.clear();
        Show();
        return;
    }
    part_ = next;
    digits_.clear();
    Show();
    if (part_ == Year && lineEdit()->cursorPosition() == lineEdit()->text().size())
        part_ = None; // the year was typed whole: the date is complete
}

bool DayDateEdit::Commit()
{
    if (part_ == None || digits_.isEmpty())
        return true;
    const int value = digits_.toInt();
    const QDate now = date();
    int day = now.day();
    int month = now.month();
    int year = now.year();
    if (part_ == Day)
        day = value;
    else if (part_ == Month)
        month = value;
    else if (digits_.size() < kPartDigits[Year])
        return false; // a year takes its four digits
    else
        year = value;
    if (day < 1 || day > 31 || month < 1 || month > 12)
        return false;
    // The 31st typed in a month of 30 days is its last day, as the desktop's
    // date boxes make it.
    const QDate typed(year, month, std::min(day, QDate(year, month, 1).daysInMonth()));
    if (!typed.isValid() || typed < minimumDate() || typed > maximumDate())
        return false;
    digits_.clear();
    committing_ = true;
    setDate(typed);
    committing_ = false;
    return true;
}

void DayDateEdit::Forget()
{
    part_ = None;
    digits_.clear();
    Show();
}

// The date, with the digits typed so far in the part being typed.
void DayDateEdit::Show()
{
    const QDate shown = date();
    QString parts[] = {QStringLiteral("%1").arg(shown.day(), 2, 10, QLatin1Char('0')),
                       QStringLiteral("%1").arg(shown.month(), 2, 10, QLatin1Char('0')),
                       QStringLiteral("%1").arg(shown.year(), 4, 10, QLatin1Char('0'))};
    if (part_ != None && !digits_.isEmpty())
        parts[part_] = digits_;
    const QString text = parts[Day] + QLatin1Char('/') + parts[Month] + QLatin1Char('/') + parts[Year];
    // The box's own reading of its text would undo a part half typed.
    const QSignalBlocker quiet(lineEdit());
    lineEdit()->setText(text);
    if (part_ == None)
        return;
    const int start = part_ == Day ? 0 : part_ == Month ? parts[Day].size() + 1 : parts[Day].size() + parts[Month].size() + 2;
    if (digits_.isEmpty())
        lineEdit()->setSelection(start, parts[part_].size()); // the part typing goes on in
    else
        lineEdit()->setCursorPosition(start + digits_.size());
}

void DayDateEdit::focusOutEvent(QFocusEvent* event)
{
    if (part_ != None) {
        Commit();
        Forget();
    }
    QDateEdit::focusOutEvent(event);
}

// Tab goes to the next control, as from any other box of the window.
bool DayDateEdit::focusNextPrevChild(bool next)
{
    return QWidget::focusNextPrevChild(next);
}

// A click chooses the part that the next digits replace.
bool DayDateEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lineEdit() && event->type() == QEvent::MouseButtonPress && part_ != None) {
        Commit();
        Forget();
    }
    return QDateEdit::eventFilter(watched, event);
}

} // namespace kiv
