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
    QTextDocument* doc = document();
    const bool undo = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false);
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    // Every result ends with a line break; when the user took away the last
    // one, the next result still starts a line of its own.
    if (!cursor.block().text().isEmpty())
        cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
    for (const KeywordSearchResult& result : results) {
        InsertResultText(cursor, result);
        cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
    }
    cursor.endEditBlock();
    doc->setUndoRedoEnabled(undo);
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
    const int lines = LineCount();
    QTextBlock block = document()->firstBlock();
    for (int i = 0; i < lines && block.isValid(); ++i, block = block.next()) {
        QString text = block.text();
        // A line break the user typed inside a line (Shift+Enter) is a line
        // break in the file as well.
        text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
        bytes += ToCp1252(text);
        bytes += "\r\n";
    }
    return bytes;
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
