#pragma once
// The results view of the keyword search: one rewritten log line per result,
// in the order found, the watched word in bold. Staff may edit it (delete the
// lines they do not want printed); the search only ever appends.

#include "jobs/KeywordSearchJob.h"
#include "lines/LinesEdit.h"

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class QMimeData;

namespace kiv {

class ResultsView : public LinesEdit {
    Q_OBJECT

public:
    explicit ResultsView(QWidget* parent = nullptr);

    // Appends the results as one edit, each with its bold range. The undo
    // history does not record them: a year of results would fill it.
    void AppendResults(std::span<const KeywordSearchResult> results);

    // Results made ready to be appended: their text already in Qt's
    // encoding, one line each, with its bold word. Any thread may prepare
    // them, so that a search's worker does that part and the window only
    // takes them over.
    class Lines {
    public:
        explicit Lines(std::span<const KeywordSearchResult> results);

    private:
        friend class ResultsView;
        LineBatch lines_;
    };
    // Appends prepared results as one edit, as AppendResults does.
    void AppendPrepared(Lines&& lines);

    // While a search runs, each batch of its results leaves the caret after
    // the last result, the view scrolled to it, as results pasted at the
    // caret would; once the user moves the caret (to read an earlier line),
    // the caret and the view stay where the user put them.
    void FollowAppends(bool follow);

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

protected:
    // Copied results keep their bold words.
    QMimeData* SelectionMimeData() const override;

private:
    bool following_ = false;
    // Where the last batch left the caret and its anchor.
    TextPos leftCursor_;
    TextPos leftAnchor_;
};

} // namespace kiv
