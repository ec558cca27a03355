#include "LineDocument.h"

#include <algorithm>
#include <utility>

namespace kiv {

TextPos EndOfRun(TextPos from, const LineRun& run)
{
    if (run.LineCount() <= 1)
        return {from.line, from.column + run.LastLength()};
    return {from.line + run.LineCount() - 1, run.LastLength()};
}

namespace {

bool IsEmptyRun(const LineRun& run)
{
    return run.LineCount() <= 1 && run.LastLength() == 0;
}

// Where a position goes when the text between change.from and
// change.removedEnd becomes the text up to change.insertedEnd: before the
// change it stays, inside what was removed it goes to the change's start,
// after it (or at an insertion point) it moves with the text that follows.
TextPos Followed(TextPos pos, const LineDocument::Change& change)
{
    if (pos < change.from)
        return pos;
    if (pos < change.removedEnd)
        return change.from;
    if (pos.line == change.removedEnd.line)
        return {change.insertedEnd.line, change.insertedEnd.column + pos.column - change.removedEnd.column};
    return {pos.line + change.insertedEnd.line - change.removedEnd.line, pos.column};
}

} // namespace

void LineDocument::SetSelection(TextPos anchor, TextPos cursor)
{
    anchor_ = store_.Clamp(anchor);
    cursor_ = store_.Clamp(cursor);
}

int LineDocument::AddMark(TextPos pos)
{
    const auto freeSlot = std::find(markUsed_.begin(), markUsed_.end(), false);
    const auto mark = static_cast<int>(freeSlot - markUsed_.begin());
    if (freeSlot == markUsed_.end()) {
        marks_.emplace_back();
        markUsed_.push_back(true);
    } else {
        *freeSlot = true;
    }
    marks_[static_cast<std::size_t>(mark)] = store_.Clamp(pos);
    return mark;
}

TextPos LineDocument::Mark(int mark) const
{
    return marks_.at(static_cast<std::size_t>(mark));
}

void LineDocument::MoveMark(int mark, TextPos pos)
{
    marks_.at(static_cast<std::size_t>(mark)) = store_.Clamp(pos);
}

void LineDocument::RemoveMark(int mark)
{
    markUsed_.at(static_cast<std::size_t>(mark)) = false;
}

void LineDocument::Follow(const Change& change)
{
    cursor_ = Followed(cursor_, change);
    anchor_ = Followed(anchor_, change);
    for (TextPos& mark : marks_)
        mark = Followed(mark, change);
}

TextPos LineDocument::Apply(TextPos from, const LineRun& out, const LineRun& in, bool appended)
{
    Change change;
    change.from = from;
    change.removedEnd = EndOfRun(from, out);
    change.appended = appended;
    change.offset = store_.OffsetOf(from);
    change.removedCharacters = store_.OffsetOf(change.removedEnd) - change.offset;
    if (keepRemovedText_)
        change.removedText = store_.PlainText(from, change.removedEnd);
    change.insertedEnd = store_.Replace(from, change.removedEnd, in);
    change.insertedCharacters = store_.OffsetOf(change.insertedEnd) - change.offset;
    Follow(change);
    if (listener_)
        listener_(change);
    return change.insertedEnd;
}

void LineDocument::Replace(TextPos from, TextPos to, const QString& text, EditKind kind)
{
    from = store_.Clamp(from);
    to = store_.Clamp(to);
    if (to < from)
        std::swap(from, to);
    const TextPos cursorBefore = cursor_;
    const TextPos anchorBefore = anchor_;
    Edit edit{from, store_.Extract(from, to), store_.RunOfText(text)};
    if (IsEmptyRun(edit.removed) && IsEmptyRun(edit.inserted))
        return;
    const TextPos end = Apply(from, edit.removed, edit.inserted, false);
    cursor_ = anchor_ = end;
    redo_.clear();
    if (editDepth_ > 0 && !stepOpen_ && !undo_.empty()) {
        undo_.back().edits.push_back(std::move(edit));
    } else if (!Merge(edit, kind)) {
        Step step;
        step.cursorBefore = cursorBefore;
        step.anchorBefore = anchorBefore;
        step.kind = kind;
        step.edits.push_back(std::move(edit));
        undo_.push_back(std::move(step));
    }
    stepOpen_ = false;
    undo_.back().cursorAfter = cursor_;
    undo_.back().anchorAfter = anchor_;
    mergeable_ = kind != EditKind::Other && editDepth_ == 0;
}

bool LineDocument::Merge(const Edit& edit, EditKind kind)
{
    if (!mergeable_ || undo_.empty() || editDepth_ > 0 || undo_.back().kind != kind)
        return false;
    Step& last = undo_.back();
    const Edit& before = last.edits.back();
    bool follows = false;
    if (kind == EditKind::Typing) {
        // Letters typed one after another, no selection replaced.
        follows = IsEmptyRun(edit.removed) && IsEmptyRun(before.removed)
                  && EndOfRun(before.from, before.inserted) == edit.from;
    } else if (kind == EditKind::Erasing) {
        // Backspace right before the last erased text, or Delete at its place.
        follows = IsEmptyRun(edit.inserted) && IsEmptyRun(before.inserted)
                  && (EndOfRun(edit.from, edit.removed) == before.from || edit.from == before.from);
    }
    if (!follows)
        return false;
    last.edits.push_back(edit);
    return true;
}

void LineDocument::BeginEdit()
{
    if (editDepth_++ == 0)
        stepOpen_ = true;
}

void LineDocument::EndEdit()
{
    if (editDepth_ > 0 && --editDepth_ == 0) {
        stepOpen_ = false;
        mergeable_ = false;
    }
}

bool LineDocument::Undo()
{
    if (undo_.empty())
        return false;
    Step step = std::move(undo_.back());
    undo_.pop_back();
    for (auto edit = step.edits.rbegin(); edit != step.edits.rend(); ++edit)
        Apply(edit->from, edit->inserted, edit->removed, false);
    anchor_ = store_.Clamp(step.anchorBefore);
    cursor_ = store_.Clamp(step.cursorBefore);
    redo_.push_back(std::move(step));
    mergeable_ = false;
    return true;
}

bool LineDocument::Redo()
{
    if (redo_.empty())
        return false;
    Step step = std::move(redo_.back());
    redo_.pop_back();
    for (const Edit& edit : step.edits)
        Apply(edit.from, edit.removed, edit.inserted, false);
    anchor_ = store_.Clamp(step.anchorAfter);
    cursor_ = store_.Clamp(step.cursorAfter);
    undo_.push_back(std::move(step));
    mergeable_ = false;
    return true;
}

// Lines appended to an empty last line start on that very line: an undo or
// redo that would write text at the end of the text as it was would now
// write it into the first appended line. Each step is followed back (undo)
// or forward (redo) from the end; the first that reaches the end is cut,
// with every step that could only come after it.
void LineDocument::CutForAppend(TextPos end)
{
    TextPos at = end;
    for (std::size_t i = undo_.size(); i-- > 0;) {
        bool reaches = false;
        const std::vector<Edit>& edits = undo_[i].edits;
        for (auto edit = edits.rbegin(); edit != edits.rend() && !reaches; ++edit) {
            reaches = EndOfRun(edit->from, edit->inserted) >= at;
            at.line += edit->removed.LineCount() - edit->inserted.LineCount();
        }
        if (reaches) {
            undo_.erase(undo_.begin(), undo_.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            break;
        }
    }
    at = end;
    for (std::size_t i = redo_.size(); i-- > 0;) {
        bool reaches = false;
        for (const Edit& edit : redo_[i].edits) {
            if (reaches)
                break;
            reaches = EndOfRun(edit.from, edit.removed) >= at;
            at.line += edit.inserted.LineCount() - edit.removed.LineCount();
        }
        if (reaches) {
            redo_.erase(redo_.begin(), redo_.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            break;
        }
    }
}

void LineDocument::AppendLines(LineBatch&& lines)
{
    if (lines.Empty())
        return;
    Change change;
    change.from = change.removedEnd = store_.End();
    change.offset = store_.CharacterCount();
    change.appended = true;
    if (change.from.column == 0)
        CutForAppend(change.from);
    store_.AppendLines(std::move(lines));
    change.insertedEnd = store_.End();
    change.insertedCharacters = store_.CharacterCount() - change.offset;
    Follow(change);
    mergeable_ = false;
    if (listener_)
        listener_(change);
}

void LineDocument::Reset()
{
    std::vector<Step>().swap(undo_);
    std::vector<Step>().swap(redo_);
    cursor_ = anchor_ = {};
    std::fill(marks_.begin(), marks_.end(), TextPos{});
    mergeable_ = false;
    editDepth_ = 0;
    stepOpen_ = false;
}

LineStore LineDocument::TakeLines()
{
    Change change;
    change.removedEnd = store_.End();
    change.removedCharacters = store_.CharacterCount();
    if (keepRemovedText_)
        change.removedText = store_.PlainText();
    LineStore taken = std::move(store_);
    Reset();
    if (listener_)
        listener_(change);
    return taken;
}

void LineDocument::Clear()
{
    // The history refers to the blocks: both go before memory is handed back.
    LineStore taken = TakeLines();
    taken = LineStore();
    ReturnFreedMemory();
}

} // namespace kiv
