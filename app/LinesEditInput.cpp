// How staff work the lines view: the keys and the mouse as in any text box,
// its standard menu, and text typed through an input method.

#include "LinesEdit.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextLayout>

namespace kiv {
namespace {

bool IsWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

} // namespace

bool LinesEdit::event(QEvent* event)
{
    // Keys that edit or move the caret belong to the text, not to the
    // window's shortcuts.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool printable = !key->text().isEmpty() && key->text().front().isPrint()
                               && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (printable || key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Cut)
            || key->matches(QKeySequence::Paste) || key->matches(QKeySequence::Undo)
            || key->matches(QKeySequence::Redo) || key->matches(QKeySequence::SelectAll)
            || key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete || key->key() == Qt::Key_Home
            || key->key() == Qt::Key_End) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void LinesEdit::keyPressEvent(QKeyEvent* event)
{
    if (HandleMoveKey(event) || HandleEditKey(event)) {
        event->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

bool LinesEdit::HandleMoveKey(QKeyEvent* event)
{
    struct Move {
        QKeySequence::StandardKey plain;
        QKeySequence::StandardKey select;
        int key;
        bool wordWise;
    };
    static const Move moves[] = {
        {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, Qt::Key_Right, false},
        {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, Qt::Key_Left, false},
        {QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord, Qt::Key_Right, true},
        {QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord, Qt::Key_Left, true},
        {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, Qt::Key_Down, false},
        {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, Qt::Key_Up, false},
        {QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, Qt::Key_PageDown, false},
        {QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage, Qt::Key_PageUp, false},
        {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, Qt::Key_Home, false},
        {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, Qt::Key_End, false},
        {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument, Qt::Key_Home, true},
        {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument, Qt::Key_End, true},
    };
    for (const Move& move : moves) {
        const bool select = event->matches(move.select);
        if (!select && !event->matches(move.plain))
            continue;
        const bool vertical = move.key == Qt::Key_Up || move.key == Qt::Key_Down || move.key == Qt::Key_PageUp
                              || move.key == Qt::Key_PageDown;
        const qreal keepX = vertical && wantedX_ >= 0
                                ? wantedX_
                                : LayoutOf(CursorPos().line).lineAt(0).cursorToX(static_cast<int>(CursorPos().column));
        TextPos target = Moved(CursorPos(), move.key, move.wordWise);
        if (vertical)
            target.column = LayoutOf(target.line).lineAt(0).xToCursor(keepX);
        if (!select && HasSelection() && !vertical && !move.wordWise
            && (move.key == Qt::Key_Left || move.key == Qt::Key_Right))
            target = move.key == Qt::Key_Left ? SelectionStart() : SelectionEnd();
        SetCursor(target, select);
        if (vertical)
            wantedX_ = keepX;
        EnsureCursorVisible();
        return true;
    }
    return false;
}

TextPos LinesEdit::Moved(TextPos pos, int key, bool wordWise) const
{
    const qsizetype lastLine = Store().LineCount() - 1;
    const int page = std::max(1, VisibleLineCount() - 1);
    const QString text = Store().LineText(pos.line);
    switch (key) {
    case Qt::Key_Right:
        if (pos.column >= text.size())
            return pos.line < lastLine ? TextPos{pos.line + 1, 0} : pos;
        if (!wordWise)
            return {pos.line, LayoutOf(pos.line).nextCursorPosition(static_cast<int>(pos.column))};
        while (pos.column < text.size() && IsWordChar(text[pos.column]))
            ++pos.column;
        while (pos.column < text.size() && !IsWordChar(text[pos.column]))
            ++pos.column;
        return pos;
    case Qt::Key_Left:
        if (pos.column == 0)
            return pos.line > 0 ? TextPos{pos.line - 1, Store().LineLength(pos.line - 1)} : pos;
        if (!wordWise)
            return {pos.line, LayoutOf(pos.line).previousCursorPosition(static_cast<int>(pos.column))};
        while (pos.column > 0 && !IsWordChar(text[pos.column - 1]))
            --pos.column;
        while (pos.column > 0 && IsWordChar(text[pos.column - 1]))
            --pos.column;
        return pos;
    case Qt::Key_Down:
        return {std::min(pos.line + 1, lastLine), 0};
    case Qt::Key_Up:
        return {std::max<qsizetype>(pos.line - 1, 0), 0};
    case Qt::Key_PageDown:
        return {std::min(pos.line + page, lastLine), 0};
    case Qt::Key_PageUp:
        return {std::max<qsizetype>(pos.line - page, 0), 0};
    case Qt::Key_Home:
        return wordWise ? TextPos{0, 0} : TextPos{pos.line, 0};
    case Qt::Key_End:
        return wordWise ? TextPos{lastLine, Store().LineLength(lastLine)} : TextPos{pos.line, text.size()};
    default:
        return pos;
    }
}

bool LinesEdit::HandleEditKey(QKeyEvent* event)
{
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
    } else if (event->matches(QKeySequence::Copy)) {
        copy();
    } else if (event->matches(QKeySequence::Cut)) {
        cut();
    } else if (event->matches(QKeySequence::Paste)) {
        paste();
    } else if (event->matches(QKeySequence::Undo)) {
        undo();
    } else if (event->matches(QKeySequence::Redo)) {
        redo();
    } else if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete) {
        if (!HasSelection()) {
            const int key = event->key() == Qt::Key_Backspace ? Qt::Key_Left : Qt::Key_Right;
            const bool wordWise = event->modifiers() & Qt::ControlModifier;
            const TextPos other = Moved(CursorPos(), key, wordWise);
            if (other == CursorPos())
                return true;
            SetSelection(CursorPos(), other);
            ReplaceSelection(QString(), LineDocument::EditKind::Erasing);
            return true;
        }
        ReplaceSelection(QString());
    } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        TypeText(QStringLiteral("\n"));
    } else if (!event->text().isEmpty() && event->text().front().isPrint()
               && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        TypeText(event->text());
    } else {
        return false;
    }
    return true;
}

void LinesEdit::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    SetCursor(PosAt(event->position()), event->modifiers() & Qt::ShiftModifier);
    dragging_ = true;
}

void LinesEdit::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_)
        return;
    const QPointF at = event->position();
    // Dragging past the edge carries the view along.
    QScrollBar* vertical = verticalScrollBar();
    if (at.y() < 0)
        vertical->setValue(vertical->value() - 1);
    else if (at.y() > viewport()->height())
        vertical->setValue(vertical->value() + 1);
    SetCursor(PosAt(at), true);
    EnsureCursorVisible();
}

void LinesEdit::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        dragging_ = false;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (HasSelection() && clipboard->supportsSelection())
        clipboard->setText(SelectedText(), QClipboard::Selection);
}

void LinesEdit::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const TextPos at = PosAt(event->position());
    const QString text = Store().LineText(at.line);
    qsizetype start = at.column;
    qsizetype end = at.column;
    while (start > 0 && IsWordChar(text[start - 1]))
        --start;
    while (end < text.size() && IsWordChar(text[end]))
        ++end;
    SetSelection({at.line, start}, {at.line, end});
}

std::unique_ptr<QMenu> LinesEdit::StandardMenu()
{
    auto menu = std::make_unique<QMenu>();
    auto add = [&](const QString& caption, const QKeySequence& keys, bool enabled, auto slot) {
        QAction* action = menu->addAction(caption, keys, this, slot);
        action->setEnabled(enabled);
    };
    add(QStringLiteral("Annuler"), QKeySequence::Undo, IsUndoAvailable(), &LinesEdit::undo);
    add(QStringLiteral("Rétablir"), QKeySequence::Redo, IsRedoAvailable(), &LinesEdit::redo);
    menu->addSeparator();
    add(QStringLiteral("Couper"), QKeySequence::Cut, HasSelection(), &LinesEdit::cut);
    add(QStringLiteral("Copier"), QKeySequence::Copy, HasSelection(), &LinesEdit::copy);
    const QMimeData* pasted = QGuiApplication::clipboard()->mimeData();
    add(QStringLiteral("Coller"), QKeySequence::Paste, pasted && pasted->hasText(), &LinesEdit::paste);
    menu->addSeparator();
    add(QStringLiteral("Tout sélectionner"), QKeySequence::SelectAll, true, &LinesEdit::selectAll);
    return menu;
}

void LinesEdit::contextMenuEvent(QContextMenuEvent* event)
{
    std::unique_ptr<QMenu> menu = StandardMenu();
    menu->exec(event->globalPos());
}

void LinesEdit::inputMethodEvent(QInputMethodEvent* event)
{
    // A commit is an undo step of its own, as in the stock text boxes.
    if (!event->commitString().isEmpty())
        ReplaceSelection(event->commitString());
    event->accept();
}

QVariant LinesEdit::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorRectangle:
        return CharacterRect(CursorPos()).translated(viewport()->pos());
    case Qt::ImSurroundingText:
        return Store().LineText(CursorPos().line);
    case Qt::ImCursorPosition:
        return static_cast<int>(CursorPos().column);
    case Qt::ImAnchorPosition:
        return static_cast<int>(AnchorPos().line == CursorPos().line ? AnchorPos().column : CursorPos().column);
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

} // namespace kiv
