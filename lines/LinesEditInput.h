#pragma once
// How staff work a lines view: the keys and the mouse as in any text box, its
// standard menu, text typed through an input method, the clipboard and the
// X11 selection. The view hands each event here and draws what comes of it;
// this part changes the text and the caret only through the view's own
// interface, as Qt's text boxes leave the same policy to QInputControl.

#include "lines/LinesEdit.h"

#include <QElapsedTimer>
#include <QPointF>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QVariant>

#include <memory>
#include <optional>

class QContextMenuEvent;
class QInputMethodEvent;
class QKeyEvent;
class QMenu;
class QMimeData;
class QMouseEvent;

namespace kiv {

class LinesEditLayout;

class LinesEditInput {
public:
    LinesEditInput(LinesEdit& edit, LinesEditLayout& layout);
    ~LinesEditInput();

    // Each gives whether it took the event; the view passes on the rest.
    // ShortcutOverride: the keys that edit or move the caret belong to the
    // text, not to the window's shortcuts.
    bool ClaimShortcut(QKeyEvent* event);
    bool KeyPress(QKeyEvent* event);
    bool MousePress(QMouseEvent* event);
    void MouseMove(QMouseEvent* event);
    void MouseRelease(QMouseEvent* event);
    void MouseDoubleClick(QMouseEvent* event);
    void ContextMenu(QContextMenuEvent* event);
    // The view lays the caret's line out again afterwards.
    void InputMethod(QInputMethodEvent* event);
    // Empty for what the view's base class answers.
    std::optional<QVariant> InputMethodQuery(Qt::InputMethodQuery query) const;

    // The column the caret keeps while moving up and down: forgotten when
    // the caret is moved any other way, kept by a caret carried along at
    // the end of the text.
    void ForgetColumn() noexcept { wantedX_ = -1; }
    void KeepColumn();

    // The X11 selection serves what is selected when another program asks
    // for it, so that selecting costs nothing however much is selected.
    void OfferSelection();
    // The clipboard's data for the selection (see LinesEdit::SelectionData).
    QMimeData* SelectionData(LinesEdit::MimeMaker make, QStringList formats) const;
    void Paste();

private:
    bool HandleEditKey(QKeyEvent* event);
    bool HandleMoveKey(QKeyEvent* event);
    bool EraseKey(QKeyEvent* event);
    TextPos Moved(TextPos pos, int key, bool wordWise) const;
    void TypeText(const QString& text);
    void SelectLine(qsizetype line);
    void SelectWordAt(TextPos pos);
    void DragTo(QPointF viewportPoint);
    void AutoScroll();
    void PasteSelectionAt(QPointF viewportPoint);
    std::unique_ptr<QMenu> StandardMenu();

    LinesEdit& edit_;
    LinesEditLayout& layout_;
    // Held past the edge, the button keeps the view moving.
    QTimer autoScroll_;
    QPointF dragPoint_;
    bool dragging_ = false;
    // A third click soon after a double-click, near it, selects the line.
    QElapsedTimer sinceDoubleClick_;
    QPointF doubleClickPoint_;
    QPointer<QMimeData> offeredSelection_;
    // In pixels from the line's start; -1 for none.
    qreal wantedX_ = -1;
};

} // namespace kiv
