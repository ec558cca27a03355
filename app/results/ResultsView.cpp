#include "app/results/ResultsView.h"

#include "qtext/QtCp1252.h"

#include <QMimeData>

#include <algorithm>

namespace kiv {
namespace {

// The bold range of a result, inside its line.
BoldSpan BoldOf(const KeywordSearchResult& result)
{
    const std::size_t start = std::min(result.boldStart, result.line.size());
    const std::size_t length = std::min(result.boldLength, result.line.size() - start);
    return {static_cast<qsizetype>(start), static_cast<qsizetype>(length)};
}

// A line as a word processor pastes it, its words in bold.
void AppendHtml(const QString& text, const BoldSpans& bold, QString& html)
{
    qsizetype at = 0;
    for (const BoldSpan& span : bold) {
        html += text.mid(at, span.start - at).toHtmlEscaped();
        html += QStringLiteral("<span style=\"font-weight:700\">");
        html += text.mid(span.start, span.length).toHtmlEscaped();
        html += QStringLiteral("</span>");
        at = span.start + span.length;
    }
    html += text.mid(at).toHtmlEscaped();
}

const QString kHtmlStart = QStringLiteral("<html><body><p style=\"font-family:Arial\">");
const QString kHtmlEnd = QStringLiteral("</p></body></html>");

} // namespace

ResultsView::ResultsView(QWidget* parent)
    : LinesEdit(parent)
{
    // Arial 13 pixels, as the results were read on the school's screens.
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    setFont(font);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void ResultsView::AppendResults(std::span<const KeywordSearchResult> results)
{
    if (results.empty())
        return;
    AppendPrepared(Lines(results));
}

void ResultsView::AppendPrepared(Lines&& lines)
{
    if (following_ && (CursorPos() != leftCursor_ || AnchorPos() != leftAnchor_))
        following_ = false;
    AppendLines(std::move(lines.lines_));
    if (!following_)
        return;
    MoveToEnd();
    EnsureCursorVisible();
    leftCursor_ = leftAnchor_ = CursorPos();
}

void ResultsView::FollowAppends(bool follow)
{
    following_ = follow;
    leftCursor_ = CursorPos();
    leftAnchor_ = AnchorPos();
}

ResultsView::Lines::Lines(std::span<const KeywordSearchResult> results)
{
    std::size_t bytes = 0;
    for (const KeywordSearchResult& result : results)
        bytes += result.line.size();
    // Each byte is one character of the text, so the bold range keeps its
    // offsets.
    lines_.Reserve(results.size(), bytes);
    for (const KeywordSearchResult& result : results)
        lines_.Add(result.line, BoldOf(result));
}

int ResultsView::LineCount() const
{
    const qsizetype lines = Store().LineCount();
    return static_cast<int>(Store().LineLength(lines - 1) == 0 ? lines - 1 : lines);
}

std::string ResultsView::LineText(int index) const
{
    if (index < 0 || index >= Store().LineCount())
        return {};
    std::string text;
    Store().AppendCp1252(index, text);
    return text;
}

int ResultsView::SelectionStartLine() const
{
    return static_cast<int>(SelectionStart().line);
}

std::string ResultsView::FileText() const
{
    std::string bytes;
    WriteFileText([&bytes](std::string_view piece) {
        bytes += piece;
        return true;
    });
    return bytes;
}

bool ResultsView::WriteFileText(const std::function<bool(std::string_view)>& sink) const
{
    constexpr std::size_t kPiece = 1 << 20;
    std::string piece;
    const int lines = LineCount();
    for (int i = 0; i < lines; ++i) {
        Store().AppendCp1252(i, piece);
        piece += "\r\n";
        if (piece.size() >= kPiece) {
            if (!sink(piece))
                return false;
            piece.clear();
        }
    }
    return piece.empty() || sink(piece);
}

QMimeData* ResultsView::ResultMimeData(const KeywordSearchResult& result)
{
    auto* data = new QMimeData;
    QString html = kHtmlStart;
    const BoldSpan bold = BoldOf(result);
    AppendHtml(FromCp1252(result.line), bold.length > 0 ? BoldSpans{bold} : BoldSpans{}, html);
    data->setHtml(html + kHtmlEnd);
    data->setText(FromCp1252(result.line));
    return data;
}

QMimeData* ResultsView::SelectionMimeData() const
{
    // Beyond some millions of characters (a giant line, a year of results)
    // no word processor takes the rich text: plain text alone is copied,
    // which is also far quicker to hand over.
    constexpr qsizetype kRichLimit = 1 << 22;
    if (Store().OffsetOf(SelectionEnd()) - Store().OffsetOf(SelectionStart()) > kRichLimit)
        return LinesEdit::SelectionMimeData();
    const auto make = [](const LineStore& text, TextPos from, TextPos to, QMimeData& data) {
        // Lines as a word processor pastes them: a line break after each but
        // the last.
        QString html = kHtmlStart;
        for (qsizetype i = from.line; i <= to.line; ++i) {
            if (i > from.line)
                html += QStringLiteral("<br>");
            const qsizetype start = i == from.line ? from.column : 0;
            const qsizetype count = i == to.line ? to.column - start : -1;
            AppendHtml(text.LineText(i, start, count), text.BoldIn(i, start, count), html);
        }
        data.setHtml(html + kHtmlEnd);
        data.setText(text.PlainText(from, to));
    };
    return SelectionData(make, {QStringLiteral("text/html"), QStringLiteral("text/plain")});
}

} // namespace kiv
