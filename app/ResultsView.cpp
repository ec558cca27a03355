#include "ResultsView.h"

#include "AsciiCase.h"
#include "Cp1252.h"
#include "QtCp1252.h"

#include <QAbstractTextDocumentLayout>
#include <QMimeData>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

namespace kiv {
namespace {

const QTextCharFormat& PlainFormat()
{
    static const QTextCharFormat plain;
    return plain;
}

const QTextCharFormat& BoldFormat()
{
    static const QTextCharFormat bold = [] {
        QTextCharFormat format;
        format.setFontWeight(QFont::Bold);
        return format;
    }();
    return bold;
}

// One result line at the cursor: the text before the word, the word in bold,
// the rest, each with its own format so that no bold runs on.
void InsertResultText(QTextCursor& cursor, const KeywordSearchResult& result)
{
    const QTextCharFormat& plain = PlainFormat();
    const QTextCharFormat& bold = BoldFormat();
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
    // Often enough for the scroll bars to follow the search smoothly; each
    // time redraws them.
    lengthTold_.setSingleShot(true);
    lengthTold_.setInterval(40);
    connect(&lengthTold_, &QTimer::timeout, this, [this] {
        QAbstractTextDocumentLayout* layout = document()->documentLayout();
        emit layout->documentSizeChanged(layout->documentSize());
    });
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
    const Lines lines(results);
    Appender appender(*this);
    appender.Add(lines, 0, lines.Count());
}

ResultsView::Lines::Lines(std::span<const KeywordSearchResult> results)
{
    std::size_t size = 0;
    for (const KeywordSearchResult& result : results)
        size += result.line.size() + 1;
    text_.resize(static_cast<qsizetype>(size));
    lines_.reserve(results.size());
    QChar* out = text_.data();
    qsizetype at = 0;
    for (const KeywordSearchResult& result : results) {
        const std::string_view line = result.line;
        const std::size_t start = std::min(result.boldStart, line.size());
        const std::size_t length = std::min(result.boldLength, line.size() - start);
        // Each byte is one character of the text, so the bold range keeps its
        // offsets.
        for (const char c : line)
            out[at++] = QChar(static_cast<char16_t>(Cp1252ToUnicode(static_cast<unsigned char>(c))));
        // The paragraph separator ends the line as a line break would, but a
        // carriage return at the end of a log line cannot swallow it.
        out[at++] = QChar::ParagraphSeparator;
        const qsizetype lineStart = at - static_cast<qsizetype>(line.size()) - 1;
        lines_.push_back({at, lineStart + static_cast<qsizetype>(start), static_cast<qsizetype>(length)});
    }
}

bool ResultsView::MayShowLine(int line) const
{
    // A line holds at least one block's worth of height, so no more blocks
    // than this fit on the screen below the first one shown.
    const int fit = viewport()->height() / std::max(1, fontMetrics().lineSpacing()) + 2;
    return line <= firstVisibleBlock().blockNumber() + fit;
}

ResultsView::Appender::Appender(ResultsView& view)
    : view_(view)
    , doc_(view.document())
    , cursor_(doc_)
    , undo_(doc_->isUndoRedoEnabled())
    , shown_(view.isVisible() && view.MayShowLine(doc_->blockCount() - 1))
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
    if (shown_) {
        cursor_.endEditBlock();
    } else {
        // Staff read the first results while the search appends far below
        // them: the view only needs its scroll bars told of the new length,
        // not a repaint of the lines on screen, which would lay out and draw
        // them again after every slice.
        {
            const QSignalBlocker quiet(doc_->documentLayout());
            cursor_.endEditBlock();
        }
        if (!view_.lengthTold_.isActive())
            view_.lengthTold_.start();
    }
    doc_->setUndoRedoEnabled(undo_);
}

// The plain text between two bold words goes in with one insertion, line
// breaks and all: a year of results is mostly plain text.
void ResultsView::Appender::Add(const Lines& lines, std::size_t first, std::size_t last)
{
    if (first >= last)
        return;
    qsizetype at = first == 0 ? 0 : lines.lines_[first - 1].end;
    for (std::size_t i = first; i < last; ++i) {
        const Lines::Line& line = lines.lines_[i];
        if (line.boldLength == 0)
            continue;
        Insert(lines, at, line.boldStart, PlainFormat());
        at = line.boldStart + line.boldLength;
        Insert(lines, line.boldStart, at, BoldFormat());
    }
    Insert(lines, at, lines.lines_[last - 1].end, PlainFormat());
}

void ResultsView::Appender::Insert(const Lines& lines, qsizetype from, qsizetype to, const QTextCharFormat& format)
{
    if (to <= from)
        return;
    // The document copies the characters: no need for a string of their own.
    cursor_.insertText(QString::fromRawData(lines.text_.constData() + from, to - from), format);
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
