#include "ResultsView.h"

#include "QtCp1252.h"

#include <QMimeData>

#include <algorithm>

namespace kiv {
namespace {

StoredLine ResultLine(const KeywordSearchResult& result)
{
    const std::string_view line = result.line;
    const std::size_t start = std::min(result.boldStart, line.size());
    const std::size_t length = std::min(result.boldLength, line.size() - start);
    StoredLine stored;
    // Each byte is one character of the text, so the bold range keeps its
    // offsets.
    stored.text = FromCp1252(line);
    if (length > 0)
        stored.bold.push_back({static_cast<qsizetype>(start), static_cast<qsizetype>(length)});
    return stored;
}

// Lines as a word processor pastes them: the words in bold, a line break
// after each line but the last.
QString HtmlOfRun(const LineRun& run)
{
    QString html = QStringLiteral("<html><body><p style=\"font-family:Arial\">");
    for (std::size_t i = 0; i < run.size(); ++i) {
        if (i > 0)
            html += QStringLiteral("<br>");
        const StoredLine& line = run[i];
        qsizetype at = 0;
        for (const BoldSpan& span : line.bold) {
            html += line.text.mid(at, span.start - at).toHtmlEscaped();
            html += QStringLiteral("<span style=\"font-weight:700\">");
            html += line.text.mid(span.start, span.length).toHtmlEscaped();
            html += QStringLiteral("</span>");
            at = span.start + span.length;
        }
        html += line.text.mid(at).toHtmlEscaped();
    }
    html += QStringLiteral("</p></body></html>");
    return html;
}

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

ResultsView::Lines::Lines(std::span<const KeywordSearchResult> results)
{
    lines_.reserve(results.size());
    for (const KeywordSearchResult& result : results)
        lines_.push_back(ResultLine(result));
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
    return ToCp1252(Store().Line(index).text);
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
        piece += ToCp1252(Store().Line(i).text);
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
    data->setHtml(HtmlOfRun({ResultLine(result)}));
    data->setText(FromCp1252(result.line));
    return data;
}

QMimeData* ResultsView::SelectionMimeData() const
{
    auto* data = new QMimeData;
    data->setHtml(HtmlOfRun(Store().Extract(SelectionStart(), SelectionEnd())));
    data->setText(SelectedText());
    return data;
}

} // namespace kiv
