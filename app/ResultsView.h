#pragma once
// The results view of the keyword search: one rewritten log line per result,
// in the order found, the watched word in bold. Staff may edit it (delete the
// lines they do not want printed); the search only ever appends.

#include "KeywordSearchJob.h"

#include <QPlainTextEdit>
#include <QString>
#include <QTextCursor>
#include <QTimer>

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class QMimeData;

namespace kiv {

class ResultsView : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit ResultsView(QWidget* parent = nullptr);

    // Appends line (Windows-1252) as the new last line, with the first
    // occurrence of word, letters compared without case, in bold; a line
    // where the word cannot be found stays plain.
    void AppendResult(std::string_view line, std::string_view word);
    // Appends the results as one edit, each with its bold range. The undo
    // history does not record them: a year of results would fill it.
    void AppendResults(std::span<const KeywordSearchResult> results);

    // Results made ready to be appended: their text already in Qt's
    // encoding, each line ended, and where each line and its bold word lie.
    // Any thread may prepare them, so that a search's worker does that part
    // and the window only inserts.
    class Lines {
    public:
        explicit Lines(std::span<const KeywordSearchResult> results);
        std::size_t Count() const noexcept { return lines_.size(); }

    private:
        friend class ResultsView;
        struct Line {
            qsizetype end;       // just after its line break
            qsizetype boldStart; // in text_
            qsizetype boldLength;
        };
        QString text_;
        std::vector<Line> lines_;
    };

    // One edit that appends results for as long as it lives: the view lays
    // out and repaints once, when it ends, and only adjusts its scroll bars
    // when the new lines fall below the screen.
    class Appender {
    public:
        explicit Appender(ResultsView& view);
        ~Appender();
        Appender(const Appender&) = delete;
        Appender& operator=(const Appender&) = delete;
        // Appends the lines [first, last) of lines.
        void Add(const Lines& lines, std::size_t first, std::size_t last);

    private:
        void Insert(const Lines& lines, qsizetype from, qsizetype to, const QTextCharFormat& format);

        ResultsView& view_;
        QTextDocument* doc_;
        QTextCursor cursor_;
        bool undo_;
        bool shown_; // whether the end of the text is on screen
    };

    // The lines as the status line, the popup searches and the saved file
    // count them: a final empty line after the last line break is not one.
    int LineCount() const;
    std::string LineText(int index) const;
    // The line that holds the start of the selection, from 0.
    int SelectionStartLine() const;

    // The text as the results file holds it: Windows-1252, every line
    // followed by CR LF.
    std::string FileText() const;
    // The same text handed to sink in pieces of about a megabyte, so that a
    // year of results is saved without a second copy of it in memory; stops
    // when sink gives false.
    bool WriteFileText(const std::function<bool(std::string_view)>& sink) const;

    // A result line as the clipboard carries it: rich text with its bold
    // word, and plain text.
    static QMimeData* ResultMimeData(const KeywordSearchResult& result);

private:
    // Whether the line of that number may be on screen now.
    bool MayShowLine(int line) const;

    // Tells the scroll bars the length of the text a little later, once for
    // all the slices appended meanwhile below the screen.
    QTimer lengthTold_;
};

} // namespace kiv
