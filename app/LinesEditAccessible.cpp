#include "LinesEditAccessible.h"

#include "LinesEdit.h"

#include <QAccessibleWidget>
#include <QScrollBar>

#include <algorithm>

namespace kiv {
namespace {

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
            return Edit()->toPlainText();
        return QAccessibleWidget::text(kind);
    }

    // Text
    void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
    QString attributes(int offset, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return QString();
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
        return Store().PlainText(Store().PosOfOffset(startOffset), Store().PosOfOffset(endOffset));
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
    LinesEdit* Edit() const { return static_cast<LinesEdit*>(widget()); }
    const LineStore& Store() const { return Edit()->Store(); }
    int Offset(TextPos pos) const { return static_cast<int>(Store().OffsetOf(pos)); }
};

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
