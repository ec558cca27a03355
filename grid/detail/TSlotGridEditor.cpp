#include "grid/detail/TSlotGridEditor.h"

#include "qtext/QtCp1252.h"
#include "table/CellTextLines.h"

#include <QKeyEvent>

namespace kiv {

TSlotGridEditor::TSlotGridEditor(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setObjectName(QStringLiteral("InplaceEditor"));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(false);
    hide();
}

void TSlotGridEditor::Open(std::string_view cellText, const QString& typed)
{
    QString text;
    text.reserve(static_cast<qsizetype>(cellText.size() + 1));
    bool first = true;
    while (first || !cellText.empty()) {
        const std::size_t before = cellText.size();
        const std::string_view line = NextCellLine(cellText, true);
        if (!first)
            text += QLatin1Char('\n');
        text += FromCp1252(line);
        first = false;
        // A break at the very end leaves one more, empty, line.
        if (cellText.empty() && line.size() < before)
            text += QLatin1Char('\n');
    }
    setPlainText(text);
    moveCursor(QTextCursor::End);
    if (!typed.isEmpty())
        insertPlainText(typed);
    document()->setModified(!typed.isEmpty());
}

void TSlotGridEditor::AppendCellText(std::string_view text)
{
    QString lines = FromCp1252(text);
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const bool changedByUser = document()->isModified();
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    end.insertText(lines);
    document()->setModified(changedByUser);
}

std::string TSlotGridEditor::CellText() const
{
    QString text = toPlainText();
    text.replace(QLatin1Char('\n'), QLatin1Char('\r'));
    return ToCp1252(text);
}

bool TSlotGridEditor::Changed() const
{
    return document()->isModified();
}

void TSlotGridEditor::keyPressEvent(QKeyEvent* event)
{
    const bool breakLine = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier);
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (breakLine)
            break;
        emit finished(Ending::Keep);
        return;
    case Qt::Key_Escape:
        emit finished(Ending::Cancel);
        return;
    default:
        break;
    }
    QPlainTextEdit::keyPressEvent(event);
}

bool TSlotGridEditor::focusNextPrevChild(bool next)
{
    if (!isVisible())
        return QPlainTextEdit::focusNextPrevChild(next);
    emit finished(next ? Ending::KeepAndNext : Ending::KeepAndPrevious);
    return true;
}

void TSlotGridEditor::focusOutEvent(QFocusEvent* event)
{
    QPlainTextEdit::focusOutEvent(event);
    // Clicking elsewhere keeps what was typed, as leaving a form field does.
    if (isVisible() && event->reason() != Qt::PopupFocusReason)
        emit finished(Ending::Keep);
}

} // namespace kiv
