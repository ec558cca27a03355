#include "app/lists/ListDialog.h"

#include "app/window/KivErrorBox.h"
#include "logscan/FileIo.h"

#include <QLabel>
#include <QPushButton>
#include <QScopedValueRollback>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <fstream>

namespace kiv {
namespace {

// A batch crossing to the window holds about a megabyte of a list: its
// appending takes well under a millisecond, and a room list of a hundred
// megabytes comes in a hundred such turns.
constexpr std::size_t kBatchBytes = std::size_t{1} << 20;
constexpr std::size_t kBatchLines = 16384;
// How the load keeps pace with the window. A batch posted and not yet
// appended holds its lines a second time: the worker reads at most four
// batches ahead, so that a window slowed down by a busy machine never has a
// whole list piling up in its mailbox. The window appends for about 4 ms at
// a time, then answers its own events (typing, scrolling, painting).
constexpr WorkerPace kLoadPace{.mailboxBound = 4, .turnBudget = std::chrono::milliseconds(4)};

// Hands the lines to add in batches of whole lines; stops when add returns
// false.
template <typename Add>
bool InBatches(const TextList& lines, Add&& add)
{
    std::size_t next = 0;
    while (next < lines.size()) {
        std::size_t end = next;
        std::size_t bytes = 0;
        while (end < lines.size() && end - next < kBatchLines &&
               (bytes == 0 || bytes + lines[end].size() <= kBatchBytes)) {
            bytes += lines[end].size();
            ++end;
        }
        LineBatch batch;
        batch.Reserve(end - next, bytes);
        for (; next < end; ++next)
            batch.Add(lines[next]);
        if (!add(std::move(batch)))
            return false;
    }
    return true;
}

// Hands batches on one behind the last, so that the last of all can be
// marked as ending the text: a list file has no break after its last entry.
template <typename Post>
class HeldBack {
public:
    explicit HeldBack(Post post) : post_(std::move(post)) {}
    // False once post refused a batch (the load was called off).
    bool Add(LineBatch&& batch)
    {
        const bool go = held_.Empty() || post_(std::move(held_));
        held_ = std::move(batch);
        return go;
    }
    void Finish()
    {
        if (held_.Empty())
            return;
        held_.EndText();
        post_(std::move(held_));
        held_ = LineBatch();
    }

private:
    Post post_;
    LineBatch held_; // a batch always holds at least one line
};

// Where the whole lines that have come so far end: after the last line
// break, a CR at the very end excepted (an LF may follow it).
std::size_t EndOfWholeLines(std::string_view bytes)
{
    if (bytes.size() < 2)
        return bytes.empty() || bytes[0] != '\n' ? 0 : 1;
    const std::size_t last = bytes.find_last_of("\r\n", bytes.size() - 2);
    if (bytes.back() == '\n')
        return bytes.size();
    return last == std::string_view::npos ? 0 : last + 1;
}

// Reads a list file a megabyte at a time and hands on its lines, read by the
// rules of every list file, as they come: the file's bytes are never held
// beside the lines made of them, so a room list of millions of lines costs
// the lines only. Stops when take returns false. Gives the position (from 1)
// of the NUL byte that ended the list when more bytes follow it.
template <typename Take>
std::optional<std::uint64_t> ReadListInPieces(const std::filesystem::path& path, std::string_view shownName, Take&& take)
{
    std::uint64_t handedOn = 0; // bytes of the file dropped from pending
    std::optional<std::uint64_t> nulPosition;
    constexpr std::size_t kPiece = std::size_t{1} << 20;
    ByteBuffer pending;
    // Room for a file of one giant line from the start, so that it is never
    // copied while it grows; untouched, the room costs nothing.
    if (const auto state = LookAtFile(path))
        pending.Reserve(static_cast<std::size_t>(std::min<std::uint64_t>(state->size, SIZE_MAX - 1)) + 1);
    // Bytes of pending already looked at: no break among them, but for a CR
    // at their very end.
    std::size_t seen = 0;
    const bool read = ReadFileInPieces(path, pending, kPiece, [&](ByteBuffer& bytes, bool atEnd) {
        std::string_view content = bytes.View();
        bool ended = atEnd;
        // A NUL byte ends a list file's content.
        if (const std::size_t nul = content.find('\0', seen); nul != std::string_view::npos) {
            content = content.substr(0, nul);
            ended = true;
            if (nul + 1 < bytes.View().size() || !atEnd)
                nulPosition = handedOn + nul + 1;
        }
        // Only the bytes just read can hold a break: a giant line is never
        // searched again.
        const std::size_t from = seen == 0 ? 0 : seen - 1;
        const std::size_t found = EndOfWholeLines(content.substr(from));
        const std::size_t whole = ended ? content.size() : found == 0 ? 0 : from + found;
        seen = content.size() - whole;
        if (whole == 0)
            return !ended;
        const TextList lines = SplitTextList(content.substr(0, whole));
        bytes.DropFront(whole);
        handedOn += whole;
        return take(lines) && !ended;
    });
    if (!read)
        throw KivError(CannotOpenMessage(shownName));
    return nulPosition;
}

// "kiv_salles.txt : la liste s'arrête à l'octet nul de la position 17 ; ce
// qui suit sera perdu si vous validez"
std::string CutAtNulMessage(const std::string& fileName, std::uint64_t position)
{
    return fileName + " : la liste s'arr\xEAte \xE0 l'octet nul de la position " + std::to_string(position)
        + " ; ce qui suit sera perdu si vous validez";
}

// Whether the file can be opened for reading, asked before the dialog opens:
// a list that cannot be read is reported instead of an empty dialog.
bool CanOpen(const std::filesystem::path& path)
{
    return LookAtFile(path).has_value() && std::ifstream(path, std::ios::binary).is_open();
}

} // namespace

TListDialog::TListDialog(std::string fileName, std::filesystem::path configFolder, QWidget* parent)
    : QDialog(parent)
    , fileName_(std::move(fileName))
    , configFolder_(std::move(configFolder))
    // No window to watch: the close box ends the dialog through done(),
    // which calls the load off without waiting for it.
    , load_(nullptr, [this](std::deque<LineBatch>& batches) { TakeBatches(batches); },
            [this](ListLoad::Ending ending) { LoadEnded(std::move(ending)); }, {}, kLoadPace)
    , save_(nullptr, {}, [this](ListSave::Ending ending) { SaveEnded(std::move(ending)); })
{
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    // The small dialog font, so that the labels fit the fixed size.
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    Memo1 = new LinesEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    CancelBtn = new QPushButton(QStringLiteral("Annuler"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    connect(OKBtn, &QPushButton::clicked, this, &TListDialog::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TListDialog::CancelBtnClick);
    connect(Memo1, &LinesEdit::textChanged, this, [this] {
        if (!appending_)
            edited_ = true;
    });
    // Esc and the close box end the dialog through QDialog::reject: Cancel.
}

std::filesystem::path TListDialog::FilePath() const
{
    return configFolder_ / std::filesystem::path(std::u8string(fileName_.begin(), fileName_.end()));
}

void TListDialog::SetLines(const TextList& lines)
{
    ReleaseLines();
    HeldBack append([this](LineBatch&& batch) {
        const QScopedValueRollback appending(appending_, true);
        Memo1->AppendLines(std::move(batch));
        return true;
    });
    InBatches(lines, [&append](LineBatch&& batch) { return append.Add(std::move(batch)); });
    append.Finish();
    Memo1->SetCursor({});
    edited_ = false;
}

void TListDialog::LoadFile()
{
    if (!CanOpen(FilePath()))
        throw KivError(CannotOpenMessage(fileName_));
    StartLoad([path = FilePath(), name = fileName_](const ListTaker& take) { return ReadListInPieces(path, name, take); });
}

void TListDialog::LoadList(TextList lines)
{
    StartLoad([lines = std::move(lines)](const ListTaker& take) mutable {
        take(lines);
        lines = TextList();
        return std::optional<std::uint64_t>();
    });
}

void TListDialog::StartLoad(ListSource source)
{
    WaitForSave();
    loading_ = true;
    okWhenLoaded_ = false;
    nulPosition_.reset();
    // The lines shown before are freed by the worker, not the window.
    load_.Restart([source = std::move(source), leftover = Memo1->TakeLines()](ListLoad::Outbox& out) mutable {
        leftover = LineStore();
        ReturnFreedMemory();
        // A post waits while the window is four batches behind; a load
        // called off meanwhile reads no further.
        HeldBack post([&out](LineBatch&& batch) {
            out.Post(std::move(batch));
            return !out.Cancelled();
        });
        LoadResult result{true, source([&post](const TextList& lines) {
            return InBatches(lines, [&post](LineBatch&& batch) { return post.Add(std::move(batch)); });
        })};
        post.Finish();
        return result;
    });
    edited_ = false; // emptying Memo1 above was no edit
}

void TListDialog::ReleaseLines()
{
    WaitForSave();
    loading_ = false;
    okWhenLoaded_ = false;
    nulPosition_.reset();
    load_.Restart([leftover = Memo1->TakeLines()](ListLoad::Outbox&) mutable {
        leftover = LineStore();
        ReturnFreedMemory();
        return LoadResult{};
    });
}

// One batch a call: the load's pace decides how many a turn appends.
void TListDialog::TakeBatches(std::deque<LineBatch>& batches)
{
    // The list opens at its first line, as a text box filled at once does,
    // unless the user has moved the caret meanwhile.
    const bool atStart = Memo1->CursorPos() == TextPos{} && !Memo1->HasSelection();
    {
        const QScopedValueRollback appending(appending_, true);
        Memo1->AppendLines(std::move(batches.front()));
    }
    batches.pop_front();
    if (atStart)
        Memo1->SetCursor({});
}

void TListDialog::LoadEnded(ListLoad::Ending ending)
{
    const bool wasLoad = ending.result.list || !ending.failure.empty();
    if (!wasLoad || !loading_)
        return;
    loading_ = false;
    if (!ending.failure.empty()) {
        okWhenLoaded_ = false;
        ShowKivError(this, ending.failure);
        reject();
        emit Loaded();
        return;
    }
    nulPosition_ = ending.result.nulPosition;
    if (nulPosition_)
        ShowKivError(this, CutAtNulMessage(fileName_, *nulPosition_));
    emit Loaded();
    if (std::exchange(okWhenLoaded_, false))
        OKBtnClick();
}

std::string TListDialog::MemoBytes() const
{
    return Memo1->Store().JoinedCp1252("\r\n");
}

TextList TListDialog::MemoLines() const
{
    return SplitTextList(MemoBytes());
}

void TListDialog::OKBtnClick()
{
    // What would be written now is only the start of the list.
    if (loading_) {
        okWhenLoaded_ = true;
        return;
    }
    // Unedited, the list is what the window already read: writing it would
    // only destroy what follows the NUL byte.
    if (!saving_)
        StartSave(!nulPosition_ || edited_);
}

void TListDialog::StartSave(bool write)
{
    SetSaving(true);
    written_.reset();
    // Memo1 stays as it is until the file is written: the worker reads its
    // lines while the window may paint them.
    save_.Start([text = &Memo1->Store(), path = FilePath(), name = fileName_, write](ListSave::Outbox&) {
        SaveOutcome outcome;
        const std::string bytes = text->JoinedCp1252("\r\n");
        try {
            if (write)
                SaveTextFile(path, bytes, name);
            outcome.written.saved = true;
        } catch (const KivError& error) {
            outcome.failure = error.what();
        }
        outcome.written.lines = SplitTextList(bytes);
        return outcome;
    });
}

void TListDialog::SaveEnded(ListSave::Ending ending)
{
    SetSaving(false);
    // Not even the entries could be made (memory ran out): the window keeps
    // the list it has.
    if (!ending.failure.empty()) {
        ShowKivError(this, ending.failure);
        reject();
        return;
    }
    // A file that could not be written is said, and the dialog still ends
    // with OK: the window takes the entries as they were typed.
    if (!ending.result.failure.empty())
        ShowKivError(this, ending.result.failure);
    written_ = std::move(ending.result.written);
    accept();
}

void TListDialog::SetSaving(bool saving)
{
    saving_ = saving;
    Memo1->setEnabled(!saving);
    OKBtn->setEnabled(!saving);
    CancelBtn->setEnabled(!saving);
    if (saving)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

void TListDialog::WaitForSave()
{
    if (saving_)
        save_.FinishAndWait();
}

void TListDialog::CancelBtnClick()
{
    reject();
}

void TListDialog::done(int result)
{
    if (saving_)
        return;
    QDialog::done(result);
    if (result != QDialog::Accepted)
        ReleaseLines();
}

QLabel* TListDialog::AddLabel(const char* name, const QString& text, QPoint place)
{
    auto* label = new QLabel(text, this);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->adjustSize();
    // Moved left as far as needed to stay inside the dialog with its font.
    const int right = width() - 4;
    label->move(std::max(4, std::min(place.x(), right - label->width())), place.y());
    return label;
}

void TListDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (initialFocus_)
        initialFocus_->setFocus(Qt::OtherFocusReason);
}

} // namespace kiv
