// How staff work the lines view: the keys and the mouse as in any text box,
// its standard menu, and text typed through an input method.

#include "lines/LinesEdit.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextLayout>

namespace kiv {
namespace {

// The punctuation that parts words, as the stock text boxes count it.
bool IsWordSeparator(QChar c)
{
    static const QString separators = QStringLiteral(".,?!@#$:;-<>[](){}=/+%&^*'\"`~|\\");
    return separators.contains(c);
}

// A word, for moving by words and for what a double click selects: a run of
// characters without spaces and without that punctuation (so "POSTE07" or
// "12€", but not across "." or "-").
bool IsWordChar(QChar c)
{
    return !c.isSpace() && !IsWordSeparator(c);
}

// A key's text is typed by the rule Qt's own text boxes follow: Ctrl alone
// (with or without Shift) is a command, but Ctrl with Alt is how Windows
// sends AltGr, and French keyboards type @ # { [ | with it. Tab stays with
// the window, to move between its controls.
bool IsTypedText(const QKeyEvent* event)
{
    const QString text = event->text();
    if (text.isEmpty())
        return false;
    const QChar c = text.front();
    if (c.category() == QChar::Other_Format)
        return true;
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (modifiers == Qt::ControlModifier || modifiers == (Qt::ShiftModifier | Qt::ControlModifier))
        return false;
    return c.isPrint() || c.category() == QChar::Other_PrivateUse
           || (c.isHighSurrogate() && text.size() > 1 && text.at(1).isLowSurrogate());
}

// Reads a line a window at a time, so that walking a word of a line of
// millions of characters never copies the whole line.
class LineReader {
public:
    LineReader(const LinesEdit& edit, qsizetype line)
        : edit_(edit), line_(line), length_(edit.Store().LineLength(line))
    {
    }
    qsizetype Length() const { return length_; }
    QChar At(qsizetype column)
    {
        if (column < from_ || column >= from_ + window_.size()) {
            from_ = std::max<qsizetype>(0, column - kWindow / 2);
            window_ = edit_.Store().LineText(line_, from_, kWindow);
        }
        return window_[column - from_];
    }
    bool WordAt(qsizetype column) { return IsWordChar(At(column)); }

private:
    static constexpr qsizetype kWindow = 4096;
    const LinesEdit& edit_;
    qsizetype line_;
    qsizetype length_;
    qsizetype from_ = 0;
    QString window_;
};

} // namespace

bool LinesEdit::event(QEvent* event)
{
    // Keys that edit or move the caret belong to the text, not to the
    // window's shortcuts.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers();
        const bool printable = (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier
                                || modifiers == Qt::KeypadModifier)
                               && key->key() < Qt::Key_Escape;
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
        const qreal keepX = vertical && wantedX_ >= 0 ? wantedX_ : XOf(CursorPos());
        TextPos target = Moved(CursorPos(), move.key, move.wordWise);
        if (vertical)
            target = PosAtX(target.line, keepX);
        // As in the stock text boxes, Shift+Up on the first line selects to
        // its start and Shift+Down on the last line to the end of the text;
        // without Shift they leave the caret and the selection as they are.
        const bool firstLine = move.key == Qt::Key_Up && CursorPos().line == 0;
        const bool lastLine = move.key == Qt::Key_Down && CursorPos().line == Store().LineCount() - 1;
        if ((firstLine || lastLine) && !select)
            return true;
        if (firstLine)
            target = {0, 0};
        else if (lastLine)
            target = Store().End();
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
    LineReader text(*this, pos.line);
    switch (key) {
    case Qt::Key_Right:
        if (pos.column >= text.Length())
            return pos.line < lastLine ? TextPos{pos.line + 1, 0} : pos;
        return NextCursorPos(pos, wordWise);
    case Qt::Key_Left:
        if (pos.column == 0)
            return pos.line > 0 ? TextPos{pos.line - 1, Store().LineLength(pos.line - 1)} : pos;
        return PreviousCursorPos(pos, wordWise);
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
        return wordWise ? TextPos{lastLine, Store().LineLength(lastLine)} : TextPos{pos.line, text.Length()};
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
    } else if (IsTypedText(event)) {
        TypeText(event->text());
    } else {
        return false;
    }
    return true;
}

void LinesEdit::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton) {
        event->accept();
        return;
    }
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const bool third = sinceDoubleClick_.isValid()
                       && sinceDoubleClick_.elapsed() < QGuiApplication::styleHints()->mouseDoubleClickInterval()
                       && (event->position() - doubleClickPoint_).manhattanLength()
                              < QGuiApplication::styleHints()->startDragDistance();
    sinceDoubleClick_.invalidate();
    if (third) {
        SelectLine(PosAt(event->position()).line);
        return;
    }
    SetCursor(PosAt(event->position()), event->modifiers() & Qt::ShiftModifier);
    dragging_ = true;
}

void LinesEdit::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_)
        return;
    dragPoint_ = event->position();
    // Held past the edge, the button keeps the view moving, as in any text
    // box, even while the mouse stays still.
    if (viewport()->rect().contains(dragPoint_.toPoint()))
        autoScroll_.stop();
    else if (!autoScroll_.isActive())
        autoScroll_.start(kAutoScrollMs, this);
    DragTo(dragPoint_);
}

void LinesEdit::DragTo(QPointF point)
{
    SetCursor(PosAt(point), true);
    EnsureCursorVisible();
}

void LinesEdit::AutoScroll()
{
    if (!dragging_) {
        autoScroll_.stop();
        return;
    }
    // Past the top or bottom, the selection reaches one line beyond the
    // screen, which scrolls it by that line.
    const QRect area = viewport()->rect();
    QPointF at = dragPoint_;
    if (at.y() < area.top())
        at.setY(area.top() - 1);
    else if (at.y() > area.bottom())
        at.setY(kMargin + (VisibleLineCount() + 0.5) * LineHeight());
    DragTo(at);
}

void LinesEdit::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        dragging_ = false;
        autoScroll_.stop();
        return;
    }
    // The middle button pastes what is selected, here or in another
    // program, where it is released.
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (event->button() == Qt::MiddleButton && clipboard->supportsSelection()) {
        const QMimeData* data = clipboard->mimeData(QClipboard::Selection);
        const QString text = data && data->hasText() ? data->text() : QString();
        SetCursor(PosAt(event->position()));
        if (!text.isEmpty()) {
            ReplaceSelection(text);
            EnsureCursorVisible();
        }
    }
}

void LinesEdit::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    SelectWordAt(PosAt(event->position()));
    sinceDoubleClick_.start();
    doubleClickPoint_ = event->position();
}

void LinesEdit::SelectWordAt(TextPos at)
{
    LineReader text(*this, at.line);
    qsizetype start = at.column;
    qsizetype end = at.column;
    while (start > 0 && IsWordChar(text.At(start - 1)))
        --start;
    while (end < text.Length() && IsWordChar(text.At(end)))
        ++end;
    SetSelection({at.line, start}, {at.line, end});
}

void LinesEdit::SelectLine(qsizetype line)
{
    // The line with its line break, as Qt's text boxes select it.
    const TextPos end = line + 1 < Store().LineCount() ? TextPos{line + 1, 0} : TextPos{line, Store().LineLength(line)};
    SetSelection({line, 0}, end);
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
    add(QStringLiteral("Supprimer"), QKeySequence(), HasSelection(), [this] { ReplaceSelection(QString()); });
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
    // What the input method sends replaces the selection, as typing does.
    const bool input = !event->commitString().isEmpty() || event->replacementLength() > 0
                       || event->preeditString() != preedit_;
    // A commit, with what it replaces, is an undo step of its own, as in the
    // stock text boxes.
    doc_.BeginEdit();
    if (input && HasSelection())
        ReplaceSelection(QString());
    if (!event->commitString().isEmpty() || event->replacementLength() > 0) {
        // The replaced stretch is counted from the caret, inside its line.
        const qsizetype length = Store().LineLength(CursorPos().line);
        const qsizetype from = std::clamp<qsizetype>(CursorPos().column + event->replacementStart(), 0, length);
        const qsizetype to = std::clamp<qsizetype>(from + event->replacementLength(), from, length);
        ReplaceRange({CursorPos().line, from}, {CursorPos().line, to}, event->commitString());
    }
    doc_.EndEdit();
    preedit_ = event->preeditString();
    preeditCursor_ = static_cast<int>(preedit_.size());
    preeditFormats_.clear();
    for (const QInputMethodEvent::Attribute& a : event->attributes()) {
        if (a.type == QInputMethodEvent::Cursor) {
            preeditCursor_ = a.start;
        } else if (a.type == QInputMethodEvent::TextFormat) {
            preeditFormats_.append(a);
        } else if (a.type == QInputMethodEvent::Selection) {
            // Counted from the start of the caret's line.
            SetSelection({CursorPos().line, a.start}, {CursorPos().line, a.start + a.length});
        }
    }
    ForgetLines({CursorPos().line, 0}, false);
    RestartBlink();
    viewport()->update();
    event->accept();
}

QVariant LinesEdit::inputMethodQuery(Qt::InputMethodQuery query) const
{
    // The text around the caret, not the whole of a line that may hold
    // millions of characters.
    const qsizetype length = Store().LineLength(CursorPos().line);
    const qsizetype from = std::max<qsizetype>(0, CursorPos().column - kPiece);
    const qsizetype to = std::min(length, CursorPos().column + kPiece);
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorRectangle:
        return CharacterRect(CursorPos()).translated(viewport()->pos());
    case Qt::ImSurroundingText:
        return Store().LineText(CursorPos().line, from, to - from);
    case Qt::ImCursorPosition:
        return static_cast<int>(CursorPos().column - from);
    case Qt::ImAnchorPosition:
        return static_cast<int>(AnchorPos().line == CursorPos().line ? std::clamp(AnchorPos().column, from, to) - from
                                                              : CursorPos().column - from);
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

} // namespace kiv
