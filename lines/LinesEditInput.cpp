#include "lines/LinesEditInput.h"

#include "lines/LinesEditLayout.h"
#include "lines/detail/SelectionData.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyleHints>

#include <algorithm>

namespace kiv {
namespace {

// How often a selection dragged past the edge moves the view.
constexpr int kAutoScrollMs = 50;
// A selection up to this length goes to the clipboard as text at once.
constexpr qsizetype kCopiedAtOnce = 1 << 16;

// The punctuation that parts words, as QPlainTextEdit counts it (Qt's text
// engine gives every text box the same list).
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
    LineReader(const LineStore& store, qsizetype line)
        : store_(store), line_(line), length_(store.LineLength(line))
    {
    }
    qsizetype Length() const { return length_; }
    QChar At(qsizetype column)
    {
        if (column < from_ || column >= from_ + window_.size()) {
            from_ = std::max<qsizetype>(0, column - kWindow / 2);
            window_ = store_.LineText(line_, from_, kWindow);
        }
        return window_[column - from_];
    }

private:
    static constexpr qsizetype kWindow = 4096;
    const LineStore& store_;
    qsizetype line_;
    qsizetype length_;
    qsizetype from_ = 0;
    QString window_;
};

} // namespace

LinesEditInput::LinesEditInput(LinesEdit& edit, LinesEditLayout& layout)
    : edit_(edit), layout_(layout)
{
    autoScroll_.setInterval(kAutoScrollMs);
    QObject::connect(&autoScroll_, &QTimer::timeout, &edit_, [this] { AutoScroll(); });
}

LinesEditInput::~LinesEditInput() = default;

// ---- Keys ----

bool LinesEditInput::ClaimShortcut(QKeyEvent* key)
{
    const Qt::KeyboardModifiers modifiers = key->modifiers();
    const bool printable = (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier
                            || modifiers == Qt::KeypadModifier)
                           && key->key() < Qt::Key_Escape;
    if (printable || key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Cut)
        || key->matches(QKeySequence::Paste) || key->matches(QKeySequence::Undo)
        || key->matches(QKeySequence::Redo) || key->matches(QKeySequence::SelectAll)
        || key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete || key->key() == Qt::Key_Home
        || key->key() == Qt::Key_End) {
        key->accept();
        return true;
    }
    return false;
}

bool LinesEditInput::KeyPress(QKeyEvent* event)
{
    if (HandleMoveKey(event) || HandleEditKey(event)) {
        event->accept();
        return true;
    }
    return false;
}

bool LinesEditInput::HandleMoveKey(QKeyEvent* event)
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
    const TextPos cursor = edit_.CursorPos();
    for (const Move& move : moves) {
        const bool select = event->matches(move.select);
        if (!select && !event->matches(move.plain))
            continue;
        const bool vertical = move.key == Qt::Key_Up || move.key == Qt::Key_Down || move.key == Qt::Key_PageUp
                              || move.key == Qt::Key_PageDown;
        const qreal keepX = vertical && wantedX_ >= 0 ? wantedX_ : layout_.XOf(cursor);
        TextPos target = Moved(cursor, move.key, move.wordWise);
        if (vertical)
            target = layout_.PosAtX(target.line, keepX);
        // As in QPlainTextEdit, Shift+Up on the first line selects to its
        // start and Shift+Down on the last line to the end of the text;
        // without Shift they leave the caret and the selection as they are.
        const bool firstLine = move.key == Qt::Key_Up && cursor.line == 0;
        const bool lastLine = move.key == Qt::Key_Down && cursor.line == edit_.Store().LineCount() - 1;
        if ((firstLine || lastLine) && !select)
            return true;
        if (firstLine)
            target = {0, 0};
        else if (lastLine)
            target = edit_.Store().End();
        if (!select && edit_.HasSelection() && !vertical && !move.wordWise
            && (move.key == Qt::Key_Left || move.key == Qt::Key_Right))
            target = move.key == Qt::Key_Left ? edit_.SelectionStart() : edit_.SelectionEnd();
        edit_.SetCursor(target, select);
        if (vertical)
            wantedX_ = keepX;
        edit_.EnsureCursorVisible();
        return true;
    }
    return false;
}

TextPos LinesEditInput::Moved(TextPos pos, int key, bool wordWise) const
{
    const LineStore& store = edit_.Store();
    const qsizetype lastLine = store.LineCount() - 1;
    const int page = std::max(1, edit_.VisibleLineCount() - 1);
    switch (key) {
    case Qt::Key_Right:
        if (pos.column >= store.LineLength(pos.line))
            return pos.line < lastLine ? TextPos{pos.line + 1, 0} : pos;
        return layout_.NextCursorPos(pos, wordWise);
    case Qt::Key_Left:
        if (pos.column == 0)
            return pos.line > 0 ? TextPos{pos.line - 1, store.LineLength(pos.line - 1)} : pos;
        return layout_.PreviousCursorPos(pos, wordWise);
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
        return wordWise ? store.End() : TextPos{pos.line, store.LineLength(pos.line)};
    default:
        return pos;
    }
}

bool LinesEditInput::HandleEditKey(QKeyEvent* event)
{
    if (event->matches(QKeySequence::SelectAll)) {
        edit_.selectAll();
    } else if (event->matches(QKeySequence::Copy)) {
        edit_.copy();
    } else if (event->matches(QKeySequence::Cut)) {
        edit_.cut();
    } else if (event->matches(QKeySequence::Paste)) {
        edit_.paste();
    } else if (event->matches(QKeySequence::Undo)) {
        edit_.undo();
    } else if (event->matches(QKeySequence::Redo)) {
        edit_.redo();
    } else if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete) {
        return EraseKey(event);
    } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        TypeText(QStringLiteral("\n"));
    } else if (IsTypedText(event)) {
        TypeText(event->text());
    } else {
        return false;
    }
    return true;
}

// Backspace and Delete erase the selection, else the character (or with
// Ctrl the word) before or after the caret.
bool LinesEditInput::EraseKey(QKeyEvent* event)
{
    if (edit_.HasSelection()) {
        edit_.ReplaceSelection(QString());
        return true;
    }
    const int key = event->key() == Qt::Key_Backspace ? Qt::Key_Left : Qt::Key_Right;
    const bool wordWise = event->modifiers() & Qt::ControlModifier;
    const TextPos other = Moved(edit_.CursorPos(), key, wordWise);
    if (other == edit_.CursorPos())
        return true;
    edit_.SetSelection(edit_.CursorPos(), other);
    edit_.ReplaceSelection(QString(), LineDocument::EditKind::Erasing);
    return true;
}

void LinesEditInput::TypeText(const QString& text)
{
    const bool lineBreak = text.contains(u'\n') || text.contains(u'\r');
    edit_.ReplaceSelection(text, lineBreak ? LineDocument::EditKind::Other : LineDocument::EditKind::Typing);
}

void LinesEditInput::KeepColumn()
{
    if (wantedX_ < 0)
        wantedX_ = layout_.XOf(edit_.CursorPos());
}

// ---- The mouse ----

bool LinesEditInput::MousePress(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton) {
        event->accept();
        return true;
    }
    if (event->button() != Qt::LeftButton)
        return false;
    const bool third = sinceDoubleClick_.isValid()
                       && sinceDoubleClick_.elapsed() < QGuiApplication::styleHints()->mouseDoubleClickInterval()
                       && (event->position() - doubleClickPoint_).manhattanLength()
                              < QGuiApplication::styleHints()->startDragDistance();
    sinceDoubleClick_.invalidate();
    if (third) {
        SelectLine(edit_.PosAt(event->position()).line);
        return true;
    }
    edit_.SetCursor(edit_.PosAt(event->position()), event->modifiers() & Qt::ShiftModifier);
    dragging_ = true;
    return true;
}

void LinesEditInput::MouseMove(QMouseEvent* event)
{
    if (!dragging_)
        return;
    dragPoint_ = event->position();
    // Held past the edge, the button keeps the view moving, as in any text
    // box, even while the mouse stays still.
    if (edit_.viewport()->rect().contains(dragPoint_.toPoint()))
        autoScroll_.stop();
    else if (!autoScroll_.isActive())
        autoScroll_.start();
    DragTo(dragPoint_);
}

void LinesEditInput::DragTo(QPointF point)
{
    edit_.SetCursor(edit_.PosAt(point), true);
    edit_.EnsureCursorVisible();
}

void LinesEditInput::AutoScroll()
{
    if (!dragging_) {
        autoScroll_.stop();
        return;
    }
    // Past the top or bottom, the selection reaches one line beyond the
    // screen, which scrolls it by that line.
    const QRect area = edit_.viewport()->rect();
    QPointF at = dragPoint_;
    if (at.y() < area.top())
        at.setY(area.top() - 1);
    else if (at.y() > area.bottom())
        at.setY(LinesEdit::kMargin + (edit_.VisibleLineCount() + 0.5) * edit_.LineHeight());
    DragTo(at);
}

void LinesEditInput::MouseRelease(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        dragging_ = false;
        autoScroll_.stop();
    } else if (event->button() == Qt::MiddleButton) {
        PasteSelectionAt(event->position());
    }
}

// The middle button pastes what is selected, here or in another program,
// where it is released.
void LinesEditInput::PasteSelectionAt(QPointF point)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard->supportsSelection())
        return;
    const QMimeData* data = clipboard->mimeData(QClipboard::Selection);
    const QString text = data && data->hasText() ? data->text() : QString();
    edit_.SetCursor(edit_.PosAt(point));
    if (!text.isEmpty()) {
        edit_.ReplaceSelection(text);
        edit_.EnsureCursorVisible();
    }
}

void LinesEditInput::MouseDoubleClick(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    SelectWordAt(edit_.PosAt(event->position()));
    sinceDoubleClick_.start();
    doubleClickPoint_ = event->position();
}

void LinesEditInput::SelectWordAt(TextPos at)
{
    LineReader text(edit_.Store(), at.line);
    qsizetype start = at.column;
    qsizetype end = at.column;
    while (start > 0 && IsWordChar(text.At(start - 1)))
        --start;
    while (end < text.Length() && IsWordChar(text.At(end)))
        ++end;
    edit_.SetSelection({at.line, start}, {at.line, end});
}

void LinesEditInput::SelectLine(qsizetype line)
{
    // The line with its line break, as QPlainTextEdit selects it.
    const LineStore& store = edit_.Store();
    const TextPos end = line + 1 < store.LineCount() ? TextPos{line + 1, 0} : TextPos{line, store.LineLength(line)};
    edit_.SetSelection({line, 0}, end);
}

// ---- The menu ----

std::unique_ptr<QMenu> LinesEditInput::StandardMenu()
{
    auto menu = std::make_unique<QMenu>();
    LinesEdit* edit = &edit_;
    auto add = [&](const QString& caption, const QKeySequence& keys, bool enabled, auto slot) {
        QAction* action = menu->addAction(caption, keys, edit, slot);
        action->setEnabled(enabled);
    };
    add(QStringLiteral("Annuler"), QKeySequence::Undo, edit->IsUndoAvailable(), &LinesEdit::undo);
    add(QStringLiteral("Rétablir"), QKeySequence::Redo, edit->IsRedoAvailable(), &LinesEdit::redo);
    menu->addSeparator();
    add(QStringLiteral("Couper"), QKeySequence::Cut, edit->HasSelection(), &LinesEdit::cut);
    add(QStringLiteral("Copier"), QKeySequence::Copy, edit->HasSelection(), &LinesEdit::copy);
    const QMimeData* pasted = QGuiApplication::clipboard()->mimeData();
    add(QStringLiteral("Coller"), QKeySequence::Paste, pasted && pasted->hasText(), &LinesEdit::paste);
    add(QStringLiteral("Supprimer"), QKeySequence(), edit->HasSelection(), [edit] { edit->ReplaceSelection(QString()); });
    menu->addSeparator();
    add(QStringLiteral("Tout sélectionner"), QKeySequence::SelectAll, true, &LinesEdit::selectAll);
    return menu;
}

void LinesEditInput::ContextMenu(QContextMenuEvent* event)
{
    std::unique_ptr<QMenu> menu = StandardMenu();
    menu->exec(event->globalPos());
}

// ---- Input methods ----

void LinesEditInput::InputMethod(QInputMethodEvent* event)
{
    // What the input method sends replaces the selection, as typing does.
    const bool input = !event->commitString().isEmpty() || event->replacementLength() > 0
                       || event->preeditString() != layout_.Composing();
    // A commit, with what it replaces, is an undo step of its own, as in
    // QPlainTextEdit.
    LineDocument& doc = edit_.Document();
    doc.BeginEdit();
    if (input && edit_.HasSelection())
        edit_.ReplaceSelection(QString());
    if (!event->commitString().isEmpty() || event->replacementLength() > 0) {
        // The replaced stretch is counted from the caret, inside its line.
        const TextPos caret = edit_.CursorPos();
        const qsizetype length = edit_.Store().LineLength(caret.line);
        const qsizetype from = std::clamp<qsizetype>(caret.column + event->replacementStart(), 0, length);
        const qsizetype to = std::clamp<qsizetype>(from + event->replacementLength(), from, length);
        edit_.ReplaceRange({caret.line, from}, {caret.line, to}, event->commitString());
    }
    doc.EndEdit();
    int composingCursor = static_cast<int>(event->preeditString().size());
    QList<QInputMethodEvent::Attribute> formats;
    for (const QInputMethodEvent::Attribute& a : event->attributes()) {
        if (a.type == QInputMethodEvent::Cursor)
            composingCursor = a.start;
        else if (a.type == QInputMethodEvent::TextFormat)
            formats.append(a);
    }
    layout_.SetComposing(event->preeditString(), composingCursor, std::move(formats));
    for (const QInputMethodEvent::Attribute& a : event->attributes()) {
        if (a.type == QInputMethodEvent::Selection) {
            // Counted from the start of the caret's line.
            const qsizetype line = edit_.CursorPos().line;
            edit_.SetSelection({line, a.start}, {line, a.start + a.length});
        }
    }
    event->accept();
}

std::optional<QVariant> LinesEditInput::InputMethodQuery(Qt::InputMethodQuery query) const
{
    // The text around the caret, not the whole of a line that may hold
    // millions of characters.
    const TextPos caret = edit_.CursorPos();
    const TextPos anchor = edit_.AnchorPos();
    const qsizetype length = edit_.Store().LineLength(caret.line);
    const qsizetype from = std::max<qsizetype>(0, caret.column - LinesEditLayout::kPiece);
    const qsizetype to = std::min(length, caret.column + LinesEditLayout::kPiece);
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorRectangle:
        return edit_.CharacterRect(caret).translated(edit_.viewport()->pos());
    case Qt::ImSurroundingText:
        return edit_.Store().LineText(caret.line, from, to - from);
    case Qt::ImCursorPosition:
        return static_cast<int>(caret.column - from);
    case Qt::ImAnchorPosition:
        return static_cast<int>(anchor.line == caret.line ? std::clamp(anchor.column, from, to) - from
                                                          : caret.column - from);
    default:
        return std::nullopt;
    }
}

// ---- The clipboard and the X11 selection ----

void LinesEditInput::OfferSelection()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard->supportsSelection())
        return;
    // Another program taking the X11 selection deletes what was offered.
    if (!offeredSelection_) {
        auto* live = new detail::LiveSelection(&edit_);
        live->Follow(edit_.AnchorPos(), edit_.CursorPos());
        offeredSelection_ = live;
        clipboard->setMimeData(live, QClipboard::Selection);
    }
    static_cast<detail::LiveSelection*>(offeredSelection_.data())->Follow(edit_.AnchorPos(), edit_.CursorPos());
}

QMimeData* LinesEditInput::SelectionData(LinesEdit::MimeMaker make, QStringList formats) const
{
    const LineStore& store = edit_.Store();
    const TextPos from = edit_.SelectionStart();
    const TextPos to = edit_.SelectionEnd();
    // A large selection is copied as a copy of the text's lines, which
    // shares their characters, and made into text only when pasted: copying
    // a year of results, or a giant line, does not hold the window.
    if (store.OffsetOf(to) - store.OffsetOf(from) > kCopiedAtOnce)
        return new detail::CopiedSelection(store, from, to, std::move(make), std::move(formats));
    auto* data = new QMimeData;
    make(store, from, to, *data);
    return data;
}

void LinesEditInput::Paste()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data && data->hasText())
        edit_.ReplaceSelection(data->text());
}

} // namespace kiv
