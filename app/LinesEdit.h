#pragma once
// An editable view of many lines, without word wrap, that takes a search's
// results or a day's sessions as fast as the scan finds them: it keeps the
// lines in a plain store and lays out and draws only those on screen. Staff
// edit it as any text box (caret, selection, typing, clipboard, undo), and
// screen readers read and write it as one.

#include "LineStore.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QTimer>

#include <memory>
#include <unordered_map>
#include <vector>

class QMenu;
class QMimeData;
class QTextLayout;

namespace kiv {

class LinesEdit : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit LinesEdit(QWidget* parent = nullptr);
    ~LinesEdit() override;

    const LineStore& Store() const noexcept { return store_; }

    // Appends whole lines after the text (see LineStore::AppendLines). The
    // undo history does not record them: a year of results would fill it.
    void AppendLines(std::vector<StoredLine>&& lines);
    // Empties the text and forgets what undo could bring back.
    void clear() { TakeLines(); }
    // Empties it the same way and hands over the lines it held, so that a
    // whole day of them can be freed off the window's thread.
    LineList TakeLines();
    QString toPlainText() const { return store_.PlainText(); }

    TextPos CursorPos() const noexcept { return cursor_; }
    TextPos AnchorPos() const noexcept { return anchor_; }
    TextPos SelectionStart() const { return std::min(cursor_, anchor_); }
    TextPos SelectionEnd() const { return std::max(cursor_, anchor_); }
    bool HasSelection() const { return cursor_ != anchor_; }
    QString SelectedText() const { return store_.PlainText(SelectionStart(), SelectionEnd()); }
    // Moves the caret; with keepAnchor the selection runs from where it was
    // anchored to the new place.
    void SetCursor(TextPos pos, bool keepAnchor = false);
    void SetSelection(TextPos anchor, TextPos cursor);
    void MoveToEnd() { SetCursor({store_.LineCount() - 1, store_.LineLength(store_.LineCount() - 1)}); }
    void EnsureCursorVisible();

    // An edit as the user makes it, recorded for undo: the text between two
    // positions replaced by text, the caret after it.
    void ReplaceRange(TextPos from, TextPos to, const QString& text);
    void ReplaceSelection(const QString& text) { ReplaceRange(SelectionStart(), SelectionEnd(), text); }

    bool IsUndoAvailable() const noexcept { return !undo_.empty(); }
    bool IsRedoAvailable() const noexcept { return !redo_.empty(); }

    qsizetype FirstVisibleLine() const;
    int LineHeight() const;
    // Where a character is drawn, in the viewport's coordinates, and the
    // position nearest a point of the viewport.
    QRect CharacterRect(TextPos pos) const;
    TextPos PosAt(QPointF viewportPoint) const;

public slots:
    void selectAll();
    void copy();
    void cut();
    void paste();
    void undo();
    void redo();

signals:
    void cursorPositionChanged();
    void selectionChanged();
    // The text changed by an edit or by appended lines.
    void textChanged();

protected:
    // The selection as copying puts it on the clipboard: plain text here.
    virtual QMimeData* SelectionMimeData() const;

    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void changeEvent(QEvent* event) override;

private:
    struct UndoStep {
        TextPos from;
        LineRun removed;
        LineRun inserted;
        TextPos cursorBefore;
        TextPos anchorBefore;
        bool typing = false;
    };

    bool HandleEditKey(QKeyEvent* event);
    bool HandleMoveKey(QKeyEvent* event);
    TextPos Moved(TextPos pos, int key, bool wordWise) const;
    void Apply(UndoStep& step, bool forward);
    void Record(UndoStep step);
    void TypeText(const QString& text);
    void CaretChanged(TextPos oldCursor, TextPos oldAnchor);
    void RestartBlink();
    void ScheduleScrollBars();
    void UpdateScrollBars();
    void ForgetLayouts();
    QTextLayout& LayoutOf(qsizetype line) const;
    qreal TextLeft() const;
    int VisibleLineCount() const;
    std::unique_ptr<QMenu> StandardMenu();

    LineStore store_;
    TextPos cursor_;
    TextPos anchor_;
    std::vector<UndoStep> undo_;
    std::vector<UndoStep> redo_;

    mutable std::unordered_map<qsizetype, std::unique_ptr<QTextLayout>> layouts_;
    mutable qreal widest_ = 0;
    QTimer scrollBarsLater_;
    QBasicTimer blink_;
    bool caretShown_ = false;
    bool dragging_ = false;
    // The column the caret keeps while moving up and down, in pixels.
    qreal wantedX_ = -1;
};

} // namespace kiv
