#pragma once
// The text a lines view edits, without the view: its lines, the caret and
// the selection, the positions the view keeps, and the undo history. Every
// change, an edit, an undo or lines appended by a search, moves each position
// along with the text around it, so the caret never lands inside a result it
// was not in. Appended lines are not in the history (a year of results would
// fill it); an edit made before them is undone exactly, and where an undo
// would have to write into an appended line the history is cut there
// instead: a result line is never touched by an undo.

#include "lines/LineStore.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace kiv {

class LineDocument {
public:
    // What a change did: the text between from and removedEnd (positions
    // before it) became the text between from and insertedEnd (after it).
    struct Change {
        TextPos from;
        TextPos removedEnd;
        TextPos insertedEnd;
        // Offset of from, and the characters taken out and put in.
        qsizetype offset = 0;
        qsizetype removedCharacters = 0;
        qsizetype insertedCharacters = 0;
        // The removed text, filled only while SetKeepRemovedText is on
        // (a screen reader is told what went).
        QString removedText;
        // Lines appended by a search rather than an edit.
        bool appended = false;
    };

    // How an edit joins the one before it for undo: letters typed right
    // after inserted letters, or erased one after another, are undone
    // together; a line break typed or erased stands alone.
    enum class EditKind { Other, Typing, Erasing };

    LineDocument() = default;

    const LineStore& Store() const noexcept { return store_; }

    TextPos Cursor() const noexcept { return cursor_; }
    TextPos Anchor() const noexcept { return anchor_; }
    // Both clamped inside the text.
    void SetSelection(TextPos anchor, TextPos cursor);

    // A position kept by a view (the start of a drag, a line on screen): it
    // follows every change like the caret.
    int AddMark(TextPos pos);
    TextPos Mark(int mark) const;
    void MoveMark(int mark, TextPos pos);
    void RemoveMark(int mark);

    // A user's edit, recorded for undo: the text between two positions
    // replaced by text (any line breaks), the caret after it.
    void Replace(TextPos from, TextPos to, const QString& text, EditKind kind = EditKind::Other);
    // Edits between these are undone as one.
    void BeginEdit();
    void EndEdit();
    // The next edit starts an undo step of its own.
    void BreakMerging() noexcept { mergeable_ = false; }

    bool CanUndo() const noexcept { return !undo_.empty(); }
    bool CanRedo() const noexcept { return !redo_.empty(); }
    qsizetype UndoDepth() const noexcept { return static_cast<qsizetype>(undo_.size()); }
    bool Undo();
    bool Redo();
    // Forgets what undo and redo could bring back; the text stays.
    void ForgetHistory() { Reset(false); }

    // Appends whole lines after the text (see LineStore::AppendLines); not
    // recorded for undo. A caret or mark at the end of the text stays at its
    // end.
    void AppendLines(LineBatch&& lines);
    // Empties the text, forgets the history and gives the memory back.
    void Clear();
    // Empties the text and the history the same way and hands over what the
    // text held, to be freed elsewhere.
    LineStore TakeLines();

    // Called after every change of the text.
    void SetListener(std::function<void(const Change&)> listener) { listener_ = std::move(listener); }
    void SetKeepRemovedText(bool keep) noexcept { keepRemovedText_ = keep; }

private:
    struct Edit {
        TextPos from;
        LineRun removed;
        LineRun inserted;
        // Which edit that wrote new text this was, counted from 1 (0: it
        // wrote none).
        std::uint64_t written = 0;
        // An erase made with Backspace (the caret at its end).
        bool backward = false;
    };
    struct Step {
        std::vector<Edit> edits;
        EditKind kind = EditKind::Other;
    };

    // Replaces out (starting at from) by in and tells everyone.
    TextPos Apply(TextPos from, const LineRun& out, const LineRun& in, bool appended);
    void Follow(const Change& change);
    void Replay(const Step& step, bool forward);
    bool Merge(const Edit& edit, EditKind kind);
    void CutForAppend(TextPos end);
    // Forgets the history; with positions, sends every position to the start.
    void Reset(bool positions = true);

    LineStore store_;
    TextPos cursor_;
    TextPos anchor_;
    std::vector<TextPos> marks_;
    std::vector<bool> markUsed_;
    std::vector<Step> undo_;
    std::vector<Step> redo_;
    // Edits that wrote new text so far (an undo or a redo writes none).
    std::uint64_t written_ = 0;
    int editDepth_ = 0;
    // Inside BeginEdit: whether the next edit opens the step.
    bool stepOpen_ = false;
    bool mergeable_ = false;
    bool keepRemovedText_ = false;
    std::function<void(const Change&)> listener_;
};

// Where a run put in at from ends.
TextPos EndOfRun(TextPos from, const LineRun& run);

} // namespace kiv
