#include "lines/LinesEditAccessible.h"

#include "lines/LinesEdit.h"
#include "lines/ShownText.h"

#include <QAccessibleWidget>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <utility>

namespace kiv {
namespace {

// How far around an offset the text is looked at to find its character,
// word or sentence: whole lines of results, a window of a giant one.
constexpr qsizetype kReach = 2000;
// How far around an offset a bold word is looked for in a giant line.
constexpr qsizetype kRunReach = 1 << 16;

// A few lines around an offset as a small document of their own, so that
// Qt's rules for characters, words, sentences and lines (those of its own
// text boxes) apply to them without building the whole text.
class Excerpt {
public:
    Excerpt(const LinesEdit& edit, qsizetype offset)
    {
        const LineStore& store = edit.Store();
        const TextPos pos = store.PosOfOffset(offset);
        const qsizetype length = store.LineLength(pos.line);
        const qsizetype from = std::max<qsizetype>(0, pos.column - kReach);
        const qsizetype to = std::min(length, pos.column + kReach);
        QString text;
        base_ = store.OffsetOf({pos.line, from});
        // The neighbouring lines, when this one is seen whole at that end.
        if (from == 0 && pos.line > 0) {
            const qsizetype previous = store.LineLength(pos.line - 1);
            const qsizetype tail = std::max<qsizetype>(0, previous - kReach);
            text = edit.Store().LineText(pos.line - 1, tail, previous - tail) + u'\n';
            base_ = store.OffsetOf({pos.line - 1, tail});
        }
        text += edit.Store().LineText(pos.line, from, to - from);
        if (to == length && pos.line + 1 < store.LineCount())
            text += u'\n' + edit.Store().LineText(pos.line + 1, 0, kReach);
        QTextOption noWrap;
        noWrap.setWrapMode(QTextOption::NoWrap);
        document_.setDefaultTextOption(noWrap);
        document_.setPlainText(ShownText(text));
    }

    // The boundaries of the character, word, sentence or line at offset,
    // as the view's offsets.
    std::pair<qsizetype, qsizetype> At(qsizetype offset, QAccessible::TextBoundaryType type)
    {
        QTextCursor cursor(&document_);
        cursor.setPosition(static_cast<int>(std::clamp<qsizetype>(offset - base_, 0, document_.characterCount() - 1)));
        const auto [start, end] = QAccessible::qAccessibleTextBoundaryHelper(cursor, type);
        return {base_ + start, base_ + end};
    }

private:
    QTextDocument document_;
    qsizetype base_ = 0;
};

class LinesEditAccessible : public QAccessibleWidget,
                            public QAccessibleTextInterface,
                            public QAccessibleEditableTextInterface {
public:
    explicit LinesEditAccessible(LinesEdit* edit)
        : QAccessibleWidget(edit, QAccessible::EditableText)
    {
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.editable = true;
        state.multiLine = true;
        state.selectableText = true;
        return state;
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return ShownText(Edit()->toPlainText());
        return QAccessibleWidget::text(kind);
    }

    // Text
    void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
    QString attributes(int offset, int* startOffset, int* endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                             int* endOffset) const override
    {
        return Around(offset, type, -1, startOffset, endOffset);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                            int* endOffset) const override
    {
        return Around(offset, type, 1, startOffset, endOffset);
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                         int* endOffset) const override
    {
        return Around(offset, type, 0, startOffset, endOffset);
    }
    int cursorPosition() const override { return Offset(Edit()->CursorPos()); }
    QRect characterRect(int offset) const override
    {
        const QRect inView = Edit()->CharacterRect(Store().PosOfOffset(offset));
        return QRect(Edit()->viewport()->mapToGlobal(inView.topLeft()), inView.size());
    }
    int selectionCount() const override { return Edit()->HasSelection() ? 1 : 0; }
    int offsetAtPoint(const QPoint& point) const override
    {
        return Offset(Edit()->PosAt(Edit()->viewport()->mapFromGlobal(point)));
    }
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = 0;
        if (selectionIndex != 0 || !Edit()->HasSelection())
            return;
        *startOffset = Offset(Edit()->SelectionStart());
        *endOffset = Offset(Edit()->SelectionEnd());
    }
    QString text(int startOffset, int endOffset) const override
    {
        // The reader gets the space the view shows: a NUL would end its copy
        // of the text there.
        return ShownText(Store().PlainText(Store().PosOfOffset(startOffset), Store().PosOfOffset(endOffset)));
    }
    void removeSelection(int selectionIndex) override
    {
        if (selectionIndex == 0)
            Edit()->SetCursor(Edit()->CursorPos());
    }
    void setCursorPosition(int position) override
    {
        Edit()->SetCursor(Store().PosOfOffset(position));
        Edit()->EnsureCursorVisible();
    }
    void setSelection(int selectionIndex, int startOffset, int endOffset) override
    {
        if (selectionIndex == 0)
            Edit()->SetSelection(Store().PosOfOffset(startOffset), Store().PosOfOffset(endOffset));
    }
    int characterCount() const override { return static_cast<int>(Store().CharacterCount()); }
    void scrollToSubstring(int startIndex, int endIndex) override
    {
        Edit()->SetCursor(Store().PosOfOffset(endIndex));
        Edit()->EnsureCursorVisible();
        Edit()->SetCursor(Store().PosOfOffset(startIndex));
        Edit()->EnsureCursorVisible();
    }

    // Editable text
    void deleteText(int startOffset, int endOffset) override { replaceText(startOffset, endOffset, QString()); }
    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
    void replaceText(int startOffset, int endOffset, const QString& text) override
    {
        Edit()->ReplaceRange(Store().PosOfOffset(startOffset), Store().PosOfOffset(endOffset), text);
    }

private:
    // The piece of text at offset (which 0), or the one before (-1) or after
    // (1) it, found as Qt's text boxes find it: an offset outside the text
    // stands for the caret, the piece before the first is the first.
    QString Around(int offset, QAccessible::TextBoundaryType type, int which, int* startOffset, int* endOffset) const
    {
        const qsizetype count = Store().CharacterCount();
        if (type == QAccessible::NoBoundary) {
            *startOffset = 0;
            *endOffset = static_cast<int>(count);
            return text(0, *endOffset);
        }
        qsizetype at = offset < 0 || offset > count ? cursorPosition() : offset;
        auto bounds = Excerpt(*Edit(), at).At(at, type);
        if (which != 0) {
            at = which < 0 ? bounds.first - 1 : bounds.second;
            if (at >= 0)
                bounds = Excerpt(*Edit(), at).At(at, type);
        }
        *startOffset = static_cast<int>(bounds.first);
        *endOffset = static_cast<int>(bounds.second);
        return text(*startOffset, *endOffset);
    }

    LinesEdit* Edit() const { return static_cast<LinesEdit*>(widget()); }
    const LineStore& Store() const { return Edit()->Store(); }
    int Offset(TextPos pos) const { return static_cast<int>(Store().OffsetOf(pos)); }
};

// The attributes of the run of equally drawn text that holds offset, in the
// words Qt's own text boxes use (IAccessible2's text attributes): a bold word
// is a run of its own, "font-weight:bold".
QString LinesEditAccessible::attributes(int offset, int* startOffset, int* endOffset) const
{
    const qsizetype count = Store().CharacterCount();
    // Screen readers ask at the caret (-2), which may sit after the last
    // character, or at -1.
    qsizetype at = offset == -2 ? cursorPosition() : offset;
    if (at == -1 || at == count)
        at = count - 1;
    if (at < 0 || at > count) {
        *startOffset = *endOffset = -1;
        return QString();
    }
    const TextPos pos = Store().PosOfOffset(at);
    const qsizetype lineStart = Store().OffsetOf({pos.line, 0});
    const qsizetype length = Store().LineLength(pos.line);
    bool bold = false;
    qsizetype start = length;
    qsizetype end = length + 1; // the line break is a run of its own
    if (pos.column < length) {
        const qsizetype from = std::max<qsizetype>(0, pos.column - kRunReach);
        const qsizetype to = std::min(length, pos.column + kRunReach);
        start = from;
        end = to;
        for (const BoldSpan& span : Store().BoldIn(pos.line, from, to - from)) {
            const qsizetype spanStart = from + span.start;
            const qsizetype spanEnd = spanStart + span.length;
            if (spanEnd <= pos.column) {
                start = spanEnd;
            } else if (spanStart <= pos.column) {
                bold = true;
                start = spanStart;
                end = spanEnd;
                break;
            } else {
                end = spanStart;
                break;
            }
        }
    }
    *startOffset = static_cast<int>(lineStart + start);
    *endOffset = static_cast<int>(lineStart + end);
    const QFont font = Edit()->font();
    QString family = font.family();
    for (const QChar special : {u'\\', u':', u',', u'=', u';', u'"'})
        family.replace(special, QStringLiteral("\\") + special);
    return QStringLiteral("font-family:\"%1\";font-size:%2pt;font-style:normal;font-weight:%3;text-position:baseline;")
        .arg(family)
        .arg(static_cast<int>(font.pointSize()))
        .arg(bold ? QStringLiteral("bold") : QStringLiteral("normal"));
}

QAccessibleInterface* DescribeLinesEdit(const QString&, QObject* object)
{
    if (auto* edit = qobject_cast<LinesEdit*>(object))
        return new LinesEditAccessible(edit);
    return nullptr;
}

} // namespace

void InstallLinesEditAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(DescribeLinesEdit);
        return true;
    }();
    (void)installed;
}

} // namespace kiv
