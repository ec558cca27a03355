// How the grid paints its cells: fill, grid lines, the shaded header cells,
// and the text. A slot cell may hold a whole busy day of logins, tens of
// thousands of lines: its text is walked as views of the stored bytes and the
// walk stops at the cell's bottom edge, so a repaint costs what is on screen.

#include "grid/GridFonts.h"
#include "grid/TSlotGridBase.h"
#include "grid/detail/QtCellColors.h"
#include "grid/detail/TSlotGridEditor.h"
#include "logscan/LineBreaks.h"
#include "qtext/QtCp1252.h"
#include "table/CellTextLines.h"

#include <QAbstractTextDocumentLayout>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStaticText>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

namespace kiv {
namespace {

// The lines of a cell are as far apart as Windows spaces them, and each
// line's text sits as low under its top as Windows puts it (the font's
// Windows ascent): the screen and the paper follow one rule.
LineMetrics ScreenLineMetrics(const QFont& font)
{
    const int emPixels = font.pixelSize() > 0 ? font.pixelSize() : QFontMetrics(font).height();
    return WindowsLineMetrics(font, emPixels);
}

int ScreenLineHeight(const QFont& font)
{
    return std::max(static_cast<int>(ScreenLineMetrics(font).height), 1);
}

// Space between a cell's inner edge and its text, left, right and top.
constexpr int kTextInset = 2;
// Bands of the header shading (top to bottom) and of a cell's own gradient
// (left to right).
constexpr int kHeaderBands = 10;
constexpr int kCellGradientBands = 64;
// Tab stops every eight average characters.
constexpr int kTabStopChars = 8;

// Halves are rounded to the even neighbour, as the band arithmetic always was.
int RoundEven(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

// Fills [left, right) x [top, bottom) with bands going from start to end.
// Each band is one pixel longer than its share, the next one drawing over it.
void FillGradient(QPainter& painter, const QRect& rect, const QColor& start, const QColor& end, int bands,
                  bool vertical)
{
    const int left = rect.left();
    const int top = rect.top();
    const int right = rect.right() + 1;
    const int bottom = rect.bottom() + 1;
    const double share = static_cast<double>(vertical ? bottom - top : right - left) / bands;
    const auto channel = [bands](int i, int from, int to) { return from + RoundEven(i * (to - from) / double(bands)); };
    for (int i = 0; i < bands; ++i) {
        const QColor colour(channel(i, start.red(), end.red()), channel(i, start.green(), end.green()),
                            channel(i, start.blue(), end.blue()));
        const int from = (vertical ? top : left) + RoundEven(i * share);
        const int to = from + RoundEven(share) + 1;
        const QRect band = vertical ? QRect(QPoint(left, from), QPoint(right - 1, to - 1))
                                    : QRect(QPoint(from, top), QPoint(to - 1, bottom - 1));
        painter.fillRect(band, colour);
    }
}

// The next line as the screen breaks a multi-line text: at a CR, an LF or a
// CR LF. Returns false when text was already used up.
bool NextDrawnLine(std::string_view& text, bool& more, std::string_view& line)
{
    if (!more)
        return false;
    const std::size_t end = FindLineBreak(text, 0, text.size());
    if (end == text.size()) {
        line = text;
        text = {};
        more = false;
        return true;
    }
    line = text.substr(0, end);
    text.remove_prefix(AfterBreak(text, end));
    return true;
}

} // namespace

void TSlotGridBase::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const QRegion& region = event->region();
    const QRect area = viewport()->rect();
    const QRect scrolling = ScrollingArea();
    const GridRect selection = Selection();
    const bool focused = hasFocus() || (editor_ && editor_->hasFocus());

    int gridRight = 0;
    int gridBottom = 0;
    for (int row = 0; row < rowCount_; ++row) {
        for (int col = 0; col < colCount_; ++col) {
            const QRect rect = CellRect(col, row);
            gridRight = std::max(gridRight, rect.right() + 1);
            gridBottom = std::max(gridBottom, rect.bottom() + 1);
            if (rect.isEmpty() || !region.intersects(rect))
                continue;
            // A scrolled cell must not paint over the fixed cells.
            QRect clip = area;
            if (col >= fixedCols_)
                clip.setLeft(scrolling.left());
            if (row >= fixedRows_)
                clip.setTop(scrolling.top());
            if (!clip.intersects(rect))
                continue;
            CellState state;
            state.fixed = row < fixedRows_ || col < fixedCols_;
            state.selected = !state.fixed && selection.Contains(col, row);
            state.focused = focused && col == col_ && row == row_;
            painter.save();
            painter.setClipRect(clip);
            DrawCell(painter, col, row, rect, state);
            painter.restore();
        }
    }
    // Past the last column and row the grid shows its own colour; this also
    // covers what the last header cell's edge drew beyond it.
    const QColor background = ScreenColor(look_.color, palette());
    painter.fillRect(QRect(QPoint(gridRight, 0), area.bottomRight()), background);
    painter.fillRect(QRect(QPoint(0, gridBottom), area.bottomRight()), background);
}

void TSlotGridBase::DrawCell(QPainter& painter, int col, int row, const QRect& rect, CellState state)
{
    const QPalette& colours = palette();
    const int left = rect.left();
    const int top = rect.top();
    const int right = rect.right() + 1;
    const int bottom = rect.bottom() + 1;
    const CellLook look = CellAppearance(col, row, false);

    TColor background = look.background;
    if (background == clNone)
        background = look.selected ? clHighlight : look_.color;
    const QColor fill = ScreenColor(background, colours);
    painter.fillRect(rect, fill);
    if (look.gradientEnd != clNone)
        FillGradient(painter, rect, fill, ScreenColor(look.gradientEnd, colours), kCellGradientBands, false);

    // Each cell owns its last pixel row and column as its grid lines.
    int width = 0;
    QColor lineColour;
    if (state.fixed) {
        width = 1;
        lineColour = QColor(0x80, 0x80, 0x80);
    } else if (gridLineWidth_ > 0) {
        width = gridLineWidth_;
        lineColour = ScreenColor(gridLineColor_, colours);
    }
    if (width > 0) {
        const int d = (width + 1) / 2;
        const int half = (width - 1) / 2;
        if (options_ & (state.fixed ? goFixedHorzLine : goHorzLine))
            painter.fillRect(QRect(left - d + 1, bottom - d - half, right - left, width), lineColour);
        if (options_ & (state.fixed ? goFixedVertLine : goVertLine))
            painter.fillRect(QRect(right - d - half, top - d + 1, width, bottom - top), lineColour);
    }

    const int shrink = state.fixed ? 1 : gridLineWidth_;
    const QRect content = QRect(QPoint(left + shrink, top + shrink), QPoint(right - shrink - 1, bottom - shrink - 1));
    DrawCellContent(painter, col, row, content, rect, look, state);
}

void TSlotGridBase::DrawCellContent(QPainter& painter, int col, int row, const QRect& content, const QRect& full,
                                    const CellLook& look, CellState state)
{
    const QPalette& colours = palette();
    CellLook shown = look;
    const bool showAsSelected =
        state.selected && (!state.focused || (options_ & goDrawFocusSelected)) && look_.showSelection;
    if (showAsSelected && look_.selectionTextColor != clNone)
        shown.font.color = look_.selectionTextColor;

    const bool xpHeader = state.fixed && gridLook_ == GridLook::glXP && !flat_;
    const QColor face = ScreenColor(clBtnFace, colours);
    if (xpHeader && content.isValid())
        FillGradient(painter, content, QColor(0xFF, 0xFF, 0xFF), face, kHeaderBands, true);

    DrawCellText(painter, col, row, content, shown);

    if (xpHeader) {
        const int left = full.left();
        const int top = full.top();
        const int right = full.right() + 1;
        const int bottom = full.bottom() + 1;
        const QColor fixed = ScreenColor(look_.fixedColor, colours);
        const QColor dark(fixed.red() / 2, fixed.green() / 2, fixed.blue() / 2);
        painter.fillRect(QRect(QPoint(left - 1, bottom - 1), QPoint(right - 1, bottom - 1)), dark);
        const QColor white(0xFF, 0xFF, 0xFF);
        painter.fillRect(QRect(QPoint(left, top), QPoint(right + 1, top)), white);
        painter.fillRect(QRect(QPoint(left, top), QPoint(left, bottom - 2)), white);
    }
}

void TSlotGridBase::DrawCellText(QPainter& painter, int col, int row, const QRect& content, const CellLook& look)
{
    const std::string_view text = CellView(col, row);
    if (text.empty())
        return;
    const QRect textRect = QRect(QPoint(content.left() + kTextInset, content.top() + kTextInset),
                                 QPoint(content.right() - kTextInset, content.bottom()));
    if (textRect.width() <= 0 || textRect.height() <= 0)
        return;

    painter.save();
    painter.setClipRect(textRect, Qt::IntersectClip);
    const QFont font = ScreenFont(look.font);
    painter.setFont(font);
    painter.setPen(ScreenColor(look.font.color, palette()));
    // Formula, rich and wide texts have no renderer of their own in this
    // table: they are shown as the text they are.
    if (CellTextKind(text, enableHtml_) == kFormattedCellText)
        DrawFormattedText(painter, text, textRect, look, font);
    else
        DrawPlainLines(painter, text, textRect, look, font);
    painter.restore();
}

void TSlotGridBase::DrawPlainLines(QPainter& painter, std::string_view text, const QRect& textRect,
                                   const CellLook& look, const QFont& font)
{
    const QFontMetrics metrics(font);
    const int lineHeight = ScreenLineHeight(font);
    // Where Qt's own placement (a line's top, its ascent below) puts the
    // baseline and where Windows puts it: Qt's ascent for Tahoma of height
    // -8 is two pixels less.
    const int ascent = static_cast<int>(ScreenLineMetrics(font).ascent);
    const int lower = ascent - metrics.ascent();
    const int bottom = textRect.bottom() + 1;
    // A line longer than the cell is cut at its edge: only its first bytes
    // can show, and a 50 MB line is not turned into text to be clipped.
    const std::size_t shownBytes = static_cast<std::size_t>(textRect.width()) * 4 + 64;

    const auto drawOneLine = [&](std::string_view line, int y) {
        if (line.empty())
            return;
        if (look.hAlign == HAlign::Left && line.size() > shownBytes)
            line = line.substr(0, shownBytes);
        const QString shown = FromCp1252(line);
        if (line.find('\t') != std::string_view::npos) {
            QTextOption option(look.hAlign == HAlign::Left    ? Qt::AlignLeft
                               : look.hAlign == HAlign::Right ? Qt::AlignRight
                                                              : Qt::AlignHCenter);
            option.setWrapMode(QTextOption::NoWrap);
            option.setTabStopDistance(kTabStopChars * metrics.averageCharWidth());
            painter.drawText(QRectF(textRect.left(), y + lower, textRect.width(), lineHeight), shown, option);
            return;
        }
        if (look.hAlign == HAlign::Left && line.find('\n') == std::string_view::npos) {
            painter.drawStaticText(QPoint(textRect.left(), y + lower), PreparedLine(shown, font));
            return;
        }
        int x = textRect.left();
        if (look.hAlign != HAlign::Left) {
            const int room = textRect.width() - metrics.horizontalAdvance(shown);
            x += look.hAlign == HAlign::Right ? room : room / 2;
        }
        painter.drawText(QPoint(x, y + ascent), shown);
    };
    const auto drawLine = [&](std::string_view line, int y) {
        DrawEmboldened(painter, font, [&] { drawOneLine(line, y); });
    };

    const bool singleLine = !multiLineCells_ || text.find('\r') == std::string_view::npos;
    if (singleLine && !wordWrap_) {
        // One line: cut at its first break, placed by the vertical alignment
        // and clipped if the cell is too low for it.
        std::string_view rest = text;
        const std::string_view line = NextCellLine(rest, false);
        int y = textRect.top();
        if (look.vAlign == VAlign::vtaCenter)
            y += (textRect.height() - lineHeight) / 2;
        else if (look.vAlign == VAlign::vtaBottom)
            y = bottom - lineHeight;
        drawLine(line, y);
        return;
    }

    std::string_view rest = text;
    std::string_view line;
    bool more = true;
    if (wordWrap_) {
        // Wrapped lines: only as many text lines as could reach the bottom
        // are laid out.
        QString visible;
        for (int y = textRect.top(); y < bottom && NextDrawnLine(rest, more, line); y += lineHeight)
            visible += FromCp1252(line) + QLatin1Char('\n');
        visible.chop(1);
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextExpandTabs, visible);
        return;
    }
    // Several lines, each as high as the font, from the top; a line that
    // would be cut at the bottom is not drawn, nor any after it. Lines
    // scrolled out above the view are stepped over, and the walk ends at the
    // view's lower edge.
    const int viewBottom = viewport()->height();
    for (int y = textRect.top(); y + lineHeight <= bottom && y < viewBottom && NextDrawnLine(rest, more, line);
         y += lineHeight) {
        if (y + lineHeight > 0)
            drawLine(line, y);
    }
}

const QStaticText& TSlotGridBase::PreparedLine(const QString& line, const QFont& font)
{
    // Laying a line out costs more than drawing it; a table shows the same
    // logins paint after paint, so each shown line is laid out once.
    constexpr qsizetype kMostPreparedLines = 4096;
    QHash<QString, QStaticText>& lines = preparedLines_[font.key()];
    if (lines.size() >= kMostPreparedLines)
        lines.clear();
    auto found = lines.find(line);
    if (found == lines.end()) {
        QStaticText prepared(line);
        prepared.setTextFormat(Qt::PlainText);
        prepared.prepare(QTransform(), font);
        found = lines.insert(line, prepared);
    }
    return *found;
}

bool TSlotGridBase::AppendWouldShow(int col, int row) const
{
    const std::string_view text = CellView(col, row);
    if (text.empty() || wordWrap_ || (CellTextKind(text, enableHtml_) == kFormattedCellText))
        return true;
    // A text without CR is drawn as one line, which an append may lengthen
    // or break into several.
    if (text.find('\r') == std::string_view::npos)
        return true;
    if (!multiLineCells_)
        return false;
    // The lines the cell draws are the first ones that fit above its bottom
    // edge, wherever it is scrolled; an append only adds to the last line
    // or after it.
    const QRect cell = CellRect(col, row);
    if (cell.isEmpty())
        return false;
    const int shrink = (row < fixedRows_ || col < fixedCols_) ? 1 : gridLineWidth_;
    const int textHeight = cell.height() - 2 * shrink - kTextInset;
    const int lineHeight = ScreenLineHeight(ScreenFont(CellAppearance(col, row, false).font));
    const int fitting = std::max(textHeight / lineHeight, 0);
    std::string_view rest = text;
    std::string_view line;
    bool more = true;
    int lines = 0;
    while (lines <= fitting && NextDrawnLine(rest, more, line))
        ++lines;
    return lines <= fitting;
}

void TSlotGridBase::DrawFormattedText(QPainter& painter, std::string_view text, const QRect& textRect,
                                      const CellLook& look, const QFont& font)
{
    (void)look;
    // Only the lines that can reach the bottom are handed to the layout.
    const int lineHeight = ScreenLineHeight(font);
    const int maxLines = textRect.height() / lineHeight + 1;
    QString html;
    std::string_view rest = text;
    std::string_view line;
    bool more = true;
    for (int i = 0; i < maxLines && NextDrawnLine(rest, more, line); ++i) {
        if (i > 0)
            html += QStringLiteral("<br>");
        html += FromCp1252(line);
    }
    QTextDocument document;
    document.setDefaultFont(font);
    document.setDocumentMargin(0);
    document.setHtml(html);
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, painter.pen().color());
    context.clip = QRectF(0, 0, textRect.width(), textRect.height());
    painter.translate(textRect.topLeft());
    document.documentLayout()->draw(&painter, context);
}

} // namespace kiv
