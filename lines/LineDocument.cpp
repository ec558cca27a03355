#include "lines/LineDocument.h"

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
    Edit edit{from, store_.Extract(from, to), store_.RunOfText(text)};
    if (IsEmptyRun(edit.removed) && IsEmptyRun(edit.inserted))
        return;
    if (!IsEmptyRun(edit.inserted))
        edit.written = ++written_;
    // Backspace leaves the anchor where the caret stood, at the erased end.
    edit.backward = anchor_ == to && from != to;
    const TextPos end = Apply(from, edit.removed, edit.inserted, false);
    cursor_ = anchor_ = end;
    redo_.clear();
    if (editDepth_ > 0 && !stepOpen_ && !undo_.empty()) {
        undo_.back().edits.push_back(std::move(edit));
    } else if (!Merge(edit, kind)) {
        Step step;
        step.kind = kind;
        step.edits.push_back(std::move(edit));
        undo_.push_back(std::move(step));
    }
    stepOpen_ = false;
    mergeable_ = true;
}

bool LineDocument::Merge(const Edit& edit, EditKind kind)
{
    if (!mergeable_ || undo_.empty() || editDepth_ > 0)
        return false;
    Step& last = undo_.back();
    const Edit& before = last.edits.back();
    bool follows = false;
    // As in QPlainTextEdit: a letter typed right where the last step ended
    // with inserted letters (typed, pasted, composed, or typed over a
    // selection), with no text written elsewhere since, joins that step; a
    // line break typed or erased stands alone. An undo or a redo writes no
    // new text and leaves merging on, so letters typed right after what came
    // back join the step before them: the step redone, or the typing whose
    // letters an undone erase brought back.
    if (kind == EditKind::Typing) {
        follows = IsEmptyRun(edit.removed) && edit.inserted.LineCount() == 1 && before.inserted.LastLength() > 0
                  && before.written + 1 == edit.written && EndOfRun(before.from, before.inserted) == edit.from;
    } else if (kind == EditKind::Erasing && last.kind == EditKind::Erasing) {
        // Backspace right before what the last Backspace erased, or Delete
        // where the last Delete erased.
        follows = IsEmptyRun(edit.inserted) && IsEmptyRun(before.inserted) && edit.removed.LineCount() == 1
                  && before.removed.LineCount() == 1 && edit.backward == before.backward
                  && (edit.backward ? EndOfRun(edit.from, edit.removed) == before.from : edit.from == before.from);
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
    if (editDepth_ > 0 && --editDepth_ == 0)
        stepOpen_ = false;
}

// After an undo or a redo the caret stands, with no selection, at the end of
// the text the step put back, as in QPlainTextEdit.
void LineDocument::Replay(const Step& step, bool forward)
{
    TextPos caret;
    auto play = [&](const Edit& edit, const LineRun& out, const LineRun& in) {
        const int mark = AddMark(caret);
        const TextPos end = Apply(edit.from, out, in, false);
        caret = std::max(Mark(mark), end);
        RemoveMark(mark);
    };
    if (forward) {
        for (const Edit& edit : step.edits)
            play(edit, edit.removed, edit.inserted);
    } else {
        for (auto edit = step.edits.rbegin(); edit != step.edits.rend(); ++edit)
            play(*edit, edit->inserted, edit->removed);
    }
    cursor_ = anchor_ = store_.Clamp(caret);
}

bool LineDocument::Undo()
{
    if (undo_.empty())
        return false;
    Step step = std::move(undo_.back());
    undo_.pop_back();
    Replay(step, false);
    redo_.push_back(std::move(step));
    return true;
}

bool LineDocument::Redo()
{
    if (redo_.empty())
        return false;
    Step step = std::move(redo_.back());
    redo_.pop_back();
    Replay(step, true);
    undo_.push_back(std::move(step));
    return true;
}

// Lines appended to an empty last line start on that very line. An undo or
// redo whose text reaches the end of the text as it was would now reach the
// first appended line: it is harmless only when what it puts back ends with
// a line break, leaving that line at the start of a line of its own. Each
// step is followed back (undo) or forward (redo) from the end; the first
// that would write into the appended line is cut, with every step that
// could only come after it.
namespace {

bool KeepsLineStart(const LineRun& put)
{
    return put.LineCount() >= 2 && put.LastLength() == 0;
}

} // namespace

void LineDocument::CutForAppend(TextPos end)
{
    TextPos at = end;
    for (std::size_t i = undo_.size(); i-- > 0;) {
        bool harms = false;
        const std::vector<Edit>& edits = undo_[i].edits;
        for (auto edit = edits.rbegin(); edit != edits.rend() && !harms; ++edit) {
            harms = EndOfRun(edit->from, edit->inserted) >= at && !KeepsLineStart(edit->removed);
            at.line += edit->removed.LineCount() - edit->inserted.LineCount();
        }
        if (harms) {
            undo_.erase(undo_.begin(), undo_.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            break;
        }
    }
    at = end;
    for (std::size_t i = redo_.size(); i-- > 0;) {
        bool harms = false;
        for (auto edit = redo_[i].edits.begin(); edit != redo_[i].edits.end() && !harms; ++edit) {
            harms = EndOfRun(edit->from, edit->removed) >= at && !KeepsLineStart(edit->inserted);
            at.line += edit->inserted.LineCount() - edit->removed.LineCount();
        }
        if (harms) {
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

void LineDocument::Reset(bool positions)
{
    std::vector<Step>().swap(undo_);
    std::vector<Step>().swap(redo_);
    if (positions) {
        cursor_ = anchor_ = {};
        std::fill(marks_.begin(), marks_.end(), TextPos{});
    }
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
