#include "ResultsView.h"

#include "AsciiCase.h"
#include "QtCp1252.h"

#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

namespace kiv {
namespace {

// One result line at the cursor: the text before the word, the word in bold,
// the rest, each with its own format so that no bold runs on.
void InsertResultText(QTextCursor& cursor, const KeywordSearchResult& result)
{
    static const QTextCharFormat plain;
    static const QTextCharFormat bold = [] {
        QTextCharFormat format;
        format.setFontWeight(QFont::Bold);
        return format;
    }();
    const std::string_view line = result.line;
    const std::size_t start = std::min(result.boldStart, line.size());
    const std::size_t length = std::min(result.boldLength, line.size() - start);
    if (length == 0) {
        cursor.insertText(FromCp1252(line), plain);
        return;
    }
    if (start > 0)
        cursor.insertText(FromCp1252(line.substr(0, start)), plain);
    cursor.insertText(FromCp1252(line.substr(start, length)), bold);
    if (start + length < line.size())
        cursor.insertText(FromCp1252(line.substr(start + length)), plain);
}

} // namespace

ResultsView::ResultsView(QWidget* parent)
    : QPlainTextEdit(parent)
{
    // Arial 13 pixels, as the results were read on the school's screens.
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    setFont(font);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
}

void ResultsView::AppendResult(std::string_view line, std::string_view word)
{
    KeywordSearchResult result;
    result.line = std::string(line);
    if (!word.empty()) {
        const std::size_t at = AsciiUpperCopy(line).find(AsciiUpperCopy(word));
        if (at != std::string::npos) {
            result.boldStart = at;
            result.boldLength = word.size();
        }
    }
    AppendResults(std::span<const KeywordSearchResult>(&result, 1));
}

void ResultsView::AppendResults(std::span<const KeywordSearchResult> results)
{
    if (results.empty())
        return;
    Appender appender(*this);
    for (const KeywordSearchResult& result : results)
        appender.Add(result);
}

ResultsView::Appender::Appender(ResultsView& view)
    : doc_(view.document())
    , cursor_(doc_)
    , undo_(doc_->isUndoRedoEnabled())
{
    doc_->setUndoRedoEnabled(false);
    cursor_.movePosition(QTextCursor::End);
    cursor_.beginEditBlock();
    // Every result ends with a line break; when the user took away the last
    // one, the next result still starts a line of its own.
    if (!cursor_.block().text().isEmpty())
        cursor_.insertBlock(QTextBlockFormat(), QTextCharFormat());
}

ResultsView::Appender::~Appender()
{
    cursor_.endEditBlock();
    doc_->setUndoRedoEnabled(undo_);
}

void ResultsView::Appender::Add(const KeywordSearchResult& result)
{
    InsertResultText(cursor_, result);
    cursor_.insertBlock(QTextBlockFormat(), QTextCharFormat());
}

int ResultsView::LineCount() const
{
    const QTextDocument* doc = document();
    const int blocks = doc->blockCount();
    return doc->lastBlock().text().isEmpty() ? blocks - 1 : blocks;
}

std::string ResultsView::LineText(int index) const
{
    return ToCp1252(document()->findBlockByNumber(index).text());
}

int ResultsView::SelectionStartLine() const
{
    return document()->findBlock(textCursor().selectionStart()).blockNumber();
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
    QTextBlock block = document()->firstBlock();
    for (int i = 0; i < lines && block.isValid(); ++i, block = block.next()) {
        QString text = block.text();
        // A line break the user typed inside a line (Shift+Enter) is a line
        // break in the file as well.
        text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
        piece += ToCp1252(text);
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
    QTextDocument staging;
    QTextCursor cursor(&staging);
    InsertResultText(cursor, result);
    auto* data = new QMimeData;
    data->setHtml(QTextDocumentFragment(&staging).toHtml());
    data->setText(FromCp1252(result.line));
    return data;
}

} // namespace kiv
