#pragma once
// An editable view of many lines, without word wrap, that takes a search's
// results or a day's sessions as fast as the scan finds them: it keeps the
// lines in a plain store and lays out and draws only those on screen. Staff
// edit it as any text box (caret, selection, typing, clipboard, undo), and
// screen readers read and write it as one.

#include "lines/LineDocument.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QPointer>
#include <QTimer>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

class QAccessibleEvent;
class QMenu;
class QMimeData;
class QTextLayout;

namespace kiv {

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

    qsizetype FirstVisibleLine() const;
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
    // The space around the text, as in the other text boxes of the window.
    static constexpr int kMargin = 4;
    // Pieces a long line is laid out in: a screen's width shows at most two.
    static constexpr qsizetype kPiece = 1024;
    // How often a selection dragged past the edge moves the view.
    static constexpr int kAutoScrollMs = 50;

    // A long line is laid out, drawn and hit-tested piece by piece, only
    // the pieces on screen: a log written without line breaks makes a line
    // of hundreds of millions of characters, far more than one layout can
    // hold or shape in the time of a frame.
    struct LineWidths {
        // Where each measured piece starts, and where the last of them ends.
        std::vector<double> starts{0.0};
        // The width given to a piece not measured yet.
        double estimate = 0;
    };
    using LayoutKey = std::pair<qsizetype, qsizetype>; // line, piece

    qsizetype PieceCount(qsizetype line) const;
    qsizetype PieceOf(TextPos pos) const;
    QTextLayout& LayoutOf(qsizetype line, qsizetype piece) const;
    // Where a piece starts and where a line ends, from the line's start.
    double PieceX(qsizetype line, qsizetype piece) const;
    double LineWidth(qsizetype line) const;
    qsizetype PieceAtX(qsizetype line, double x) const;
    double XOf(TextPos pos) const;
    TextPos PosAtX(qsizetype line, double x) const;
    TextPos NextCursorPos(TextPos pos, bool wordWise) const;
    TextPos PreviousCursorPos(TextPos pos, bool wordWise) const;
    LineWidths& WidthsOf(qsizetype line) const;
    double MeasurePiece(qsizetype line, qsizetype piece) const;
    void MeasureSome();
    // Where a column falls in its piece's layout, past the text being
    // composed at the caret (the caret itself inside it).
    int LayoutColumn(TextPos pos, bool caret) const;
    // Layouts and widths of the line from pos on, and of the lines after
    // it too when lines came or went, no longer hold after an edit there.
    void ForgetLines(TextPos from, bool linesAfterToo);
    double HorizontalOffset() const;
    void SetHorizontalOffset(double x);

    bool HandleEditKey(QKeyEvent* event);
    bool HandleMoveKey(QKeyEvent* event);
    TextPos Moved(TextPos pos, int key, bool wordWise) const;
    void TextChangedBy(const LineDocument::Change& change);
    void AfterUndoOrRedo(TextPos oldCursor, TextPos oldAnchor);
    void TypeText(const QString& text);
    void CaretChanged(TextPos oldCursor, TextPos oldAnchor);
    void RestartBlink();
    void ScheduleScrollBars();
    void UpdateScrollBars();
    void ForgetLayouts();
    qreal TextLeft() const;
    int VisibleLineCount() const;
    std::unique_ptr<QMenu> StandardMenu();
    void SelectLine(qsizetype line);
    void SelectWordAt(TextPos pos);
    void DragTo(QPointF viewportPoint);
    void AutoScroll();
    // The X11 selection serves what is selected here when another program
    // asks for it, so that selecting costs nothing however much is selected.
    void OfferSelection();
    void Announce(QAccessibleEvent& event);

    LineDocument doc_;

    mutable std::map<LayoutKey, std::unique_ptr<QTextLayout>> layouts_;
    mutable std::unordered_map<qsizetype, LineWidths> widths_;
    // Advance of each character below 256, plain and bold.
    mutable std::array<std::array<float, 256>, 2> advances_{};
    mutable bool advancesKnown_ = false;
    mutable QTimer measureLater_;
    mutable qreal widest_ = 0;
    // The horizontal scroll bar counts in steps of this many pixels when the
    // widest line is wider than its range.
    double horizontalUnit_ = 1;
    QTimer scrollBarsLater_;
    QBasicTimer blink_;
    QBasicTimer autoScroll_;
    QPointF dragPoint_;
    bool caretShown_ = false;
    bool dragging_ = false;
    // A third click soon after a double-click, near it, selects the line.
    QElapsedTimer sinceDoubleClick_;
    QPointF doubleClickPoint_;
    // Text being composed in an input method, shown at the caret.
    QString preedit_;
    int preeditCursor_ = 0;
    QList<QInputMethodEvent::Attribute> preeditFormats_;
    QPointer<QMimeData> offeredSelection_;
    // The column the caret keeps while moving up and down, in pixels.
    qreal wantedX_ = -1;
};

} // namespace kiv
