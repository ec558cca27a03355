#pragma once
// An editable view of many lines, without word wrap, that takes a search's
// results or a day's sessions as fast as the scan finds them: it keeps the
// lines in a plain store and lays out and draws only those on screen. Staff
// edit it as any text box (caret, selection, typing, clipboard, undo), and
// screen readers read and write it as one.

#include "lines/LineDocument.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>

class QAccessibleEvent;
class QMimeData;
class QPainter;

namespace kiv {

class LinesEditInput;
class LinesEditLayout;

class LinesEdit : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit LinesEdit(QWidget* parent = nullptr);
    ~LinesEdit() override;

    // The text read through the store's reading functions only.
    const LineStore& Store() const noexcept { return doc_.Store(); }
    const LineDocument& Document() const noexcept { return doc_; }
    // For the view's own input handling and the positions it keeps (marks).
    LineDocument& Document() noexcept { return doc_; }

    // Appends whole lines after the text (see LineStore::AppendLines). The
    // undo history does not record them: a year of results would fill it.
    void AppendLines(LineBatch&& lines);
    // Empties the text, forgets what undo could bring back and gives the
    // memory back to the system.
    void clear();
    // Empties it the same way and hands over the lines it held, so that they
    // can be freed off the window's thread.
    LineStore TakeLines();
    QString toPlainText() const { return Store().PlainText(); }

    TextPos CursorPos() const noexcept { return doc_.Cursor(); }
    TextPos AnchorPos() const noexcept { return doc_.Anchor(); }
    TextPos SelectionStart() const { return std::min(CursorPos(), AnchorPos()); }
    TextPos SelectionEnd() const { return std::max(CursorPos(), AnchorPos()); }
    bool HasSelection() const { return CursorPos() != AnchorPos(); }
    QString SelectedText() const { return Store().PlainText(SelectionStart(), SelectionEnd()); }
    // Moves the caret; with keepAnchor the selection runs from where it was
    // anchored to the new place.
    void SetCursor(TextPos pos, bool keepAnchor = false);
    void SetSelection(TextPos anchor, TextPos cursor);
    void MoveToEnd() { SetCursor(Store().End()); }
    void EnsureCursorVisible();

    // An edit as the user makes it, recorded for undo: the text between two
    // positions replaced by text, the caret after it.
    // kind: how it joins the edit before it for undo.
    void ReplaceRange(TextPos from, TextPos to, const QString& text,
                      LineDocument::EditKind kind = LineDocument::EditKind::Other);
    void ReplaceSelection(const QString& text, LineDocument::EditKind kind = LineDocument::EditKind::Other)
    {
        ReplaceRange(SelectionStart(), SelectionEnd(), text, kind);
    }

    bool IsUndoAvailable() const noexcept { return doc_.CanUndo(); }
    bool IsRedoAvailable() const noexcept { return doc_.CanRedo(); }

    // The space around the text, as in the other text boxes of the window.
    static constexpr int kMargin = 4;
    qsizetype FirstVisibleLine() const;
    // Lines the view shows whole.
    int VisibleLineCount() const;
    int LineHeight() const;
    // Where a character is drawn, in the viewport's coordinates, and the
    // position nearest a point of the viewport.
    QRect CharacterRect(TextPos pos) const;
    TextPos PosAt(QPointF viewportPoint) const;

    // Whether long lines are still being measured: until then their widths,
    // and the horizontal scroll range, are estimates.
    bool IsMeasuring() const { return measureLater_.isActive(); }

    // Makes the clipboard's data for the text between two positions.
    using MimeMaker = std::function<void(const LineStore& text, TextPos from, TextPos to, QMimeData& out)>;

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
    // The selection's data, of these formats, made by make: at once, or for
    // a large selection only when a program asks for it (from a copy of the
    // lines, which shares their characters), so that copying a year of
    // results or a giant line does not hold the window.
    QMimeData* SelectionData(MimeMaker make, QStringList formats) const;

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
    void TextChangedBy(const LineDocument::Change& change);
    void AnnounceChange(const LineDocument::Change& change);
    void AfterUndoOrRedo(TextPos oldCursor, TextPos oldAnchor);
    void CaretChanged(TextPos oldCursor, TextPos oldAnchor);
    void AnnounceCaret(TextPos oldCursor, bool selectionMoved);
    void RestartBlink();
    void MeasureSome();
    // The layouts from pos on, of the lines after it too when lines came or
    // went, are made again; the scroll range follows.
    void ForgetLines(TextPos from, bool linesAfterToo);
    void ForgetLayouts();
    void ScheduleScrollBars();
    void UpdateScrollBars();
    double HorizontalOffset() const;
    void SetHorizontalOffset(double x);
    qreal TextLeft() const;
    void PaintLine(QPainter& painter, qsizetype line, qreal y, double left, double right);
    void Announce(QAccessibleEvent& event);

    LineDocument doc_;
    std::unique_ptr<LinesEditLayout> layout_;
    std::unique_ptr<LinesEditInput> input_;
    // Long lines are measured a little at a time between the window's
    // other work.
    QTimer measureLater_;
    // The horizontal scroll bar counts in steps of this many pixels when the
    // widest line is wider than its range.
    double horizontalUnit_ = 1;
    QTimer scrollBarsLater_;
    QBasicTimer blink_;
    bool caretShown_ = false;
};

} // namespace kiv
