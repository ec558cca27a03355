#include "logscan/OccupationScan.h"

#include "common/AsciiCase.h"
#include "logscan/CancelFlag.h"
#include "logscan/FileIo.h"
#include "logscan/KivError.h"
#include "logscan/LineBreaks.h"
#include "logscan/SessionParser.h"
#include "logscan/detail/LogoutIndex.h"
#include "logscan/detail/OrderedBatches.h"
#include "logscan/detail/ScanProgress.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <optional>
#include <span>


namespace kiv {
namespace {

// How many lines or sessions go by between two looks at the cancel flag.
constexpr std::size_t kCancelStride = 4096;

// Sessions made ahead of delivery in batches of this many.
constexpr std::size_t kBatchSize = 1024;

// A logout line's hour form, made while the line is at hand: making the
// sessions later needs no trip back to logout lines all over the file. Hours
// of up to seven bytes ("16h10" has five) are kept here, their length in the
// last byte; a longer one is made again from its line.
class PackedHour {
public:
    explicit PackedHour(std::string_view logoutLine) noexcept
    {
        const std::string_view field = LogoutTimeField(logoutLine);
        const std::size_t length = LogTimeLength(field);
        if (length < bytes_.size()) {
            WriteLogTime(field, bytes_.data());
            bytes_.back() = static_cast<char>(length);
        } else {
            bytes_.back() = kLong;
        }
    }

    // False for an hour too long to be kept here: it is made again from its line.
    bool Fits() const noexcept { return bytes_.back() != kLong; }

    void AssignTo(std::string& out) const { out.assign(bytes_.data(), static_cast<std::size_t>(bytes_.back())); }

private:
    static constexpr char kLong = 127;
    std::array<char, 8> bytes_{};
};

// What one thread finds in its chunk of the file: the login lines of the room
// with their users, and the lines that may close a session with their hours
// (those two only when logins are paired). A line's place is the offset of
// its text in the file's content. Kept from one file to the next.
struct ChunkLines {
    std::vector<LoginKey> logins;
    std::vector<std::string_view> loginLines;
    std::vector<LogoutCandidate> candidates;
    std::vector<PackedHour> candidateHours;
    std::size_t firstLogin = 0;     // among the logins of the whole file
    std::size_t firstCandidate = 0; // among the candidates of the whole file
};

// Where the text is cut into parts of whole lines, about equal in size: each
// cut stands just after a line break (CR LF counted as one).
std::vector<std::size_t> ChunkBounds(std::string_view text, unsigned parts)
{
    std::vector<std::size_t> bounds(parts + 1, text.size());
    bounds[0] = 0;
    for (unsigned i = 1; i < parts; ++i) {
        const std::size_t from = std::max(text.size() / parts * i, bounds[i - 1]);
        bounds[i] = NextLineStart(text, from);
    }
    return bounds;
}

// Reads the lines of text[begin, end), which starts at a line's start and ends
// after a line break or at the end of the text, as the reader cuts them.
// Candidates before the file's first login are of no use; keepAllLogouts is
// false for the first chunk, where they can be told apart.
void ScanChunk(std::string_view text, std::size_t begin, std::size_t end, std::string_view room,
               bool keepAllLogouts, bool keepLogouts, ChunkLines& chunk, const std::atomic<bool>* cancel)
{
    const bool allRooms = room == kAllRooms;
    // Room for a line in every 64 bytes holds a connection log's logins and
    // logouts without growing (its lines are some 70 bytes long); it costs
    // address space only until it is used.
    const std::size_t expected = (end - begin) / 64 + 16;
    chunk.logins.clear();
    chunk.loginLines.clear();
    chunk.candidates.clear();
    chunk.candidateHours.clear();
    if (keepLogouts) {
        chunk.logins.reserve(expected);
        chunk.candidates.reserve(expected);
        chunk.candidateHours.reserve(expected);
    }
    chunk.loginLines.reserve(expected);
    std::size_t start = begin;
    for (std::size_t n = 0; start < end; ++n) {
        if (n % kCancelStride == 0 && Cancelled(cancel))
            return;
        const std::size_t lineEnd = FindLineBreak(text, start, end);
        const std::size_t body = SkipLineBlanks(text, start, lineEnd);
        const std::string_view line = text.substr(body, lineEnd - body);
        const LogWords words = FindLogWords(line);
        if (words.logout && keepLogouts && (keepAllLogouts || !chunk.loginLines.empty())) {
            chunk.candidates.push_back({body, line});
            chunk.candidateHours.emplace_back(line);
        }
        if (words.login && (allRooms || AsciiStartsWithNoCase(line, room))) {
            // The user is the key that finds the logout: no pairing, no key.
            if (keepLogouts)
                chunk.logins.push_back({body, LoginUser(line)});
            chunk.loginLines.push_back(line);
        }
        if (lineEnd >= end)
            break;
        start = AfterBreak(text, lineEnd);
    }
}

// The sessions of a file whose logins are paired, made batch by batch.
class SessionMaker {
public:
    SessionMaker(std::span<const ChunkLines> chunks, const std::vector<std::size_t>& logouts)
        : chunks_(chunks), logouts_(logouts)
    {
    }

    std::size_t BatchCount() const noexcept { return (logouts_.size() + kBatchSize - 1) / kBatchSize; }

    // The sessions of logins b * kBatchSize onwards, into batch (its strings
    // keep their room from one batch to the next).
    void Fill(std::vector<SessionEntry>& batch, std::size_t b) const
    {
        const std::size_t first = b * kBatchSize;
        const std::size_t count = std::min(kBatchSize, logouts_.size() - first);
        batch.resize(count);
        std::size_t c = ChunkOfLogin(first);
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t login = first + i;
            while (login >= chunks_[c].firstLogin + chunks_[c].loginLines.size())
                ++c;
            const LoginFields fields = ParseLoginFields(chunks_[c].loginLines[login - chunks_[c].firstLogin]);
            SessionEntry& entry = batch[i];
            entry.Room.assign(fields.Room);
            entry.Station.assign(fields.Station);
            entry.User.assign(fields.User);
            FormatLogTimeInto(fields.Time, entry.LoginTime);
            if (logouts_[login] == kNoLogout)
                entry.LogoutTime.clear();
            else
                AssignLogoutHour(logouts_[login], entry.LogoutTime);
            entry.Tail.assign(fields.Tail);
        }
    }

private:
    std::size_t ChunkOfLogin(std::size_t login) const noexcept
    {
        std::size_t c = 0;
        while (login >= chunks_[c].firstLogin + chunks_[c].loginLines.size())
            ++c;
        return c;
    }

    void AssignLogoutHour(std::size_t position, std::string& out) const
    {
        std::size_t c = 0;
        while (position >= chunks_[c].firstCandidate + chunks_[c].candidates.size())
            ++c;
        const std::size_t k = position - chunks_[c].firstCandidate;
        const PackedHour& hour = chunks_[c].candidateHours[k];
        if (hour.Fits())
            hour.AssignTo(out);
        else
            FormatLogTimeInto(LogoutTimeField(chunks_[c].candidates[k].text), out);
    }

    std::span<const ChunkLines> chunks_;
    const std::vector<std::size_t>& logouts_;
};

// Reads the chunks of the file's text side by side, one a thread, into the
// first chunks of held (which grows to as many as there are threads), and
// numbers their logins and candidates across the file.
std::span<ChunkLines> ScanChunks(std::string_view text, std::string_view room, const std::atomic<bool>* cancel,
                                 const ScanThreads& threads, bool pairLogouts, std::vector<ChunkLines>& held)
{
    const unsigned threadCount = ThreadCountFor(threads, text.size());
    const std::vector<std::size_t> bounds = ChunkBounds(text, threadCount);
    if (held.size() < threadCount)
        held.resize(threadCount);
    const std::span<ChunkLines> chunks(held.data(), threadCount);
    RunOnThreads(threadCount, [&](unsigned c) {
        ScanChunk(text, bounds[c], bounds[c + 1], room, c != 0, pairLogouts, chunks[c], cancel);
    });
    std::size_t loginCount = 0;
    std::size_t candidateCount = 0;
    for (ChunkLines& chunk : chunks) {
        chunk.firstLogin = loginCount;
        chunk.firstCandidate = candidateCount;
        loginCount += chunk.loginLines.size();
        candidateCount += chunk.candidates.size();
    }
    return chunks;
}

// Hands each batch of sessions to deliver(batch), in line order, on the
// calling thread; deliver may take the batch's entries.
template <class Deliver>
void ExtractInBatches(const LogLineReader& lines, std::string_view room, const std::atomic<bool>* cancel,
                      const ScanThreads& threads, bool pairLogouts, std::vector<ChunkLines>& held,
                      Deliver&& deliver)
{
    if (room.empty())
        return; // no line passes an empty room

    // The chunks are read side by side, then their logins are paired.
    const std::span<ChunkLines> chunks = ScanChunks(lines.Content(), room, cancel, threads, pairLogouts, held);
    if (Cancelled(cancel))
        return;
    const auto threadCount = static_cast<unsigned>(chunks.size());
    std::vector<PairingStretch> stretches;
    for (const ChunkLines& chunk : chunks)
        stretches.push_back({chunk.candidates, chunk.logins});
    const std::size_t loginCount = chunks.back().firstLogin + chunks.back().loginLines.size();
    if (loginCount == 0)
        return;
    const std::vector<std::size_t> logouts =
        pairLogouts ? PairLogoutsInStretches(stretches) : std::vector<std::size_t>(loginCount, kNoLogout);
    if (Cancelled(cancel))
        return;

    // The sessions are made ahead on the other threads and handed on here, in
    // line order.
    const SessionMaker maker(chunks, logouts);
    DeliverInOrder<std::vector<SessionEntry>>(
        maker.BatchCount(), threadCount - 1,
        [&](std::vector<SessionEntry>& batch, std::size_t b) { maker.Fill(batch, b); },
        [&](std::vector<SessionEntry>& batch, std::size_t) {
            if (Cancelled(cancel))
                return false;
            deliver(batch);
            return true;
        });
}

void ExtractEachInto(const LogLineReader& lines, std::string_view room,
                     const std::function<void(const SessionEntry&)>& onSession, const std::atomic<bool>* cancel,
                     const ScanThreads& threads, bool pairLogouts, std::vector<ChunkLines>& held)
{
    // The batches stay with their slots, so that their strings keep their
    // room from one batch to the next.
    ExtractInBatches(lines, room, cancel, threads, pairLogouts, held, [&](const std::vector<SessionEntry>& batch) {
        if (onSession)
            for (const SessionEntry& entry : batch)
                onSession(entry);
    });
}

void ExtractBatchesInto(const LogLineReader& lines, std::string_view room, const SessionBatchSink& onBatch,
                        const std::atomic<bool>* cancel, const ScanThreads& threads, bool pairLogouts,
                        std::vector<ChunkLines>& held)
{
    ExtractInBatches(lines, room, cancel, threads, pairLogouts, held, [&](std::vector<SessionEntry>& batch) {
        if (onBatch && !batch.empty())
            onBatch(std::move(batch));
        batch.clear(); // given away: the slot makes new entries for its next batch
    });
}

// Where the whole lines of bytes end: just after the last line break whose
// next byte is there too (so that a CR LF is never cut in two); 0 when there
// is none.
std::size_t WholeLinesEnd(std::string_view bytes) noexcept
{
    if (bytes.size() < 2)
        return 0;
    for (std::size_t at = bytes.size() - 1; at-- > 0;)
        if (IsLineBreak(bytes[at]))
            return AfterBreak(bytes, at);
    return 0;
}

// The first "login" in text[from, end), or end: sixteen places at a time
// where the processor allows. Most lines of a log hold none, and are passed
// over without being cut.
std::size_t FindLogin(std::string_view text, std::size_t from, std::size_t end) noexcept
{
    constexpr std::string_view kWord = "login";
#ifdef KIV_HAVE_SSE2
    const char* const bytes = text.data();
    const auto at = [bytes](std::size_t i, std::size_t k, char c) {
        return _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i + k)), _mm_set1_epi8(c));
    };
    for (; from + 16 + kWord.size() - 1 <= end; from += 16) {
        const __m128i lo = _mm_and_si128(at(from, 0, 'l'), at(from, 1, 'o'));
        const __m128i gin = _mm_and_si128(at(from, 2, 'g'), _mm_and_si128(at(from, 3, 'i'), at(from, 4, 'n')));
        const int found = _mm_movemask_epi8(_mm_and_si128(lo, gin));
        if (found != 0)
            return from + static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(found)));
    }
#endif
    const std::size_t found = text.substr(0, end).find(kWord, from);
    return found == std::string_view::npos ? end : found;
}

// Where the line that holds text[at] starts, at from or later: just after the
// last CR or LF in text[from, at), or from. Sixteen bytes at a time where the
// processor allows.
std::size_t LineStartBefore(std::string_view text, std::size_t from, std::size_t at) noexcept
{
#ifdef KIV_HAVE_SSE2
    const char* const bytes = text.data();
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; at >= from + 16; at -= 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + at - 16));
        const int found = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, cr), _mm_cmpeq_epi8(block, lf)));
        if (found != 0)
            return at - 16 + static_cast<std::size_t>(std::bit_width(static_cast<unsigned>(found)));
    }
#endif
    while (at > from && !IsLineBreak(text[at - 1]))
        --at;
    return at;
}

// One file's sessions counted by room and hour while the file is read. Nearly
// every key is short ("S514-08h25"): such a key is held in place, in two
// machine words with its length in the last byte, in a table looked up by
// position; a longer one goes to a map.
class FileTally {
public:
    FileTally() : slots_(kFirstSize) {}

    void Clear()
    {
        std::fill(slots_.begin(), slots_.end(), Slot{});
        used_ = 0;
        longer_.clear();
    }

    // One more session of the login line's room and hour.
    void Add(const LoginRoomTime& session)
    {
        const std::size_t hourLength = LogTimeLength(session.Time);
        const std::size_t length = session.Room.size() + 1 + hourLength;
        if (length >= kInPlace) {
            std::string key(session.Room);
            key += '-';
            key.resize(length);
            WriteLogTime(session.Time, key.data() + session.Room.size() + 1);
            ++longer_[key];
            return;
        }
        std::array<char, kInPlace> bytes{};
        std::copy(session.Room.begin(), session.Room.end(), bytes.begin());
        bytes[session.Room.size()] = '-';
        WriteLogTime(session.Time, bytes.data() + session.Room.size() + 1);
        bytes.back() = static_cast<char>(length);
        Slot key;
        std::memcpy(key.words.data(), bytes.data(), bytes.size());
        Slot* slot = &Find(key);
        if (slot->count == 0) { // a new key, the table kept at most half full
            if ((used_ + 1) * 2 > slots_.size()) {
                Grow();
                slot = &Find(key);
            }
            slot->words = key.words;
            ++used_;
        }
        ++slot->count;
    }

    void AddTo(RoomHourCounts& counts) const
    {
        for (const Slot& slot : slots_)
            if (slot.count != 0) {
                std::array<char, kInPlace> bytes{};
                std::memcpy(bytes.data(), slot.words.data(), bytes.size());
                counts[std::string(bytes.data(), static_cast<std::size_t>(bytes.back()))] += slot.count;
            }
        for (const auto& [key, count] : longer_)
            counts[key] += count;
    }

private:
    static constexpr std::size_t kInPlace = 16;
    static constexpr std::size_t kFirstSize = 4096; // a power of two

    struct Slot {
        std::array<std::uint64_t, 2> words{};
        std::uint64_t count = 0; // 0: a free slot
    };

    Slot& Find(const Slot& key) noexcept
    {
        const std::uint64_t mixed = (key.words[0] ^ (key.words[1] * 0x9E3779B97F4A7C15ULL)) * 0xFF51AFD7ED558CCDULL;
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = static_cast<std::size_t>(mixed >> 32) & mask;; i = (i + 1) & mask) {
            Slot& slot = slots_[i];
            if (slot.count == 0 || (slot.words[0] == key.words[0] && slot.words[1] == key.words[1]))
                return slot;
        }
    }

    // Twice the slots, the keys put back.
    void Grow()
    {
        std::vector<Slot> old(slots_.size() * 2);
        old.swap(slots_);
        for (const Slot& slot : old)
            if (slot.count != 0)
                Find(slot) = slot;
    }

    std::vector<Slot> slots_;
    std::size_t used_ = 0;
    RoomHourCounts longer_;
};

// Counts the sessions of the lines of text[0, end), which ends after a line
// break or at the end of the text: each line that passes the room filter and
// whose first "login" stands at kFirstLogWordIndex or later, as ScanChunk
// finds login lines.
void CountLoginLines(std::string_view text, std::size_t end, std::string_view room, FileTally& tally)
{
    const bool allRooms = room == kAllRooms;
    std::size_t from = 0; // the start of the text, or the break after the last line looked at
    for (std::size_t at = FindLogin(text, from, end); at < end;) {
        const std::size_t start = LineStartBefore(text, from, at);
        const std::size_t lineEnd = FindLineBreak(text, at, end);
        const std::size_t body = SkipLineBlanks(text, start, lineEnd);
        const std::string_view line = text.substr(body, lineEnd - body);
        // The line's first "login": every line before it was passed whole.
        if (at - body >= kFirstLogWordIndex && (allRooms || AsciiStartsWithNoCase(line, room)))
            tally.Add(ParseLoginRoomTime(line));
        from = lineEnd;
        at = FindLogin(text, from, end);
    }
}

} // namespace

struct OccupationScanMemory::Parts {
    LogLineReader reader; // a whole file, for the sessions
    std::vector<ChunkLines> chunks;
    ByteBuffer piece;     // a piece of a file, for a count
    FileTally fileCounts; // one file's count, until it is read
};

namespace {

// Counts the sessions of one file read a piece at a time, each piece's lines
// cut, checked and scanned as the whole file's would be. Returns the file's
// error as ScanFile does.
std::optional<std::string> CountFile(const std::filesystem::path& file, std::string_view room,
                                     const OccupationScanEvents& events, const std::atomic<bool>* cancel,
                                     OccupationScanMemory::Parts& held)
{
    FileTally& fileCounts = held.fileCounts;
    fileCounts.Clear();
    std::optional<std::size_t> depth; // of the last line checked; none before the first line
    std::optional<std::string> refusal;
    const bool read = ReadFileInPieces(file, held.piece, events.pieceBytes, [&](ByteBuffer& bytes, bool atEnd) {
        const std::string_view text = bytes.View();
        const std::size_t end = atEnd ? text.size() : WholeLinesEnd(text);
        if (end == 0)
            return true; // a line longer than the piece: more is read onto it
        LogIndentation checked = CheckLogIndentation(text.substr(0, end), depth);
        depth = checked.lastDepth;
        if (Cancelled(cancel))
            return false;
        if (!room.empty()) // no line passes an empty room
            CountLoginLines(text, checked.accepted, room, fileCounts);
        bytes.DropFront(end);
        refusal = std::move(checked.refusal);
        return !refusal; // the lines after a refused one are not read
    });
    if (!read)
        return CannotOpenMessage(PathForMessage(file));
    if (Cancelled(cancel))
        return std::nullopt;
    fileCounts.AddTo(*events.counts);
    if (!refusal)
        return std::nullopt;
    return KivError(*refusal).what(); // the message as the reader throws it for the sessions
}

} // namespace

OccupationScanMemory::OccupationScanMemory() : parts_(std::make_unique<Parts>()) {}

OccupationScanMemory::~OccupationScanMemory() = default;

RoomHour SplitRoomHour(std::string_view key) noexcept
{
    const std::size_t hyphen = std::min(key.find('-'), key.size());
    return {key.substr(0, hyphen), key.substr(std::min(hyphen + 1, key.size()))};
}

void ExtractSessions(const LogLineReader& lines, std::string_view room,
                     const std::function<void(const SessionEntry&)>& onSession, const std::atomic<bool>* cancel,
                     const ScanThreads& threads, bool pairLogouts)
{
    std::vector<ChunkLines> chunks;
    ExtractEachInto(lines, room, onSession, cancel, threads, pairLogouts, chunks);
}

void ExtractSessionBatches(const LogLineReader& lines, std::string_view room, const SessionBatchSink& onBatch,
                           const std::atomic<bool>* cancel, const ScanThreads& threads, bool pairLogouts)
{
    std::vector<ChunkLines> chunks;
    ExtractBatchesInto(lines, room, onBatch, cancel, threads, pairLogouts, chunks);
}

namespace {

// Reads one file and hands on its sessions. Returns the error's text when
// the file could not be read to its end; whatever goes wrong with one file
// is that file's error, and the scan goes on with the next.
std::optional<std::string> ScanFile(const std::string& path, std::string_view room,
                                    const OccupationScanEvents& events, const std::atomic<bool>* cancel,
                                    const ScanThreads& threads, OccupationScanMemory::Parts& held)
{
    const std::filesystem::path file = PathFromBytes(path);
    std::optional<std::string> error;
    try {
        if (events.counts)
            return CountFile(file, room, events, cancel, held);
        LogLineReader& reader = held.reader;
        try {
            // The scan cuts the lines itself: the reader's list is not needed.
            // A file that cannot be opened leaves nothing to scan.
            reader.ReadContentInPlace(file, PathForMessage(file), threads);
        } catch (const KivError& refused) {
            // When its indentation was refused, the lines read before the
            // refused one are still scanned.
            error = refused.what();
        }
        if (events.onSessions)
            ExtractBatchesInto(reader, room, events.onSessions, cancel, threads, events.pairLogouts, held.chunks);
        else
            ExtractEachInto(reader, room, events.onSession, cancel, threads, events.pairLogouts, held.chunks);
    } catch (const std::exception&) {
        error = FileFailureMessage(PathForMessage(file));
    }
    return error;
}

} // namespace

bool RunOccupationScan(const std::vector<std::string>& files, std::string_view room,
                       const OccupationScanEvents& events, const std::atomic<bool>* cancel, const ScanThreads& threads,
                       OccupationScanMemory* memory)
{
    std::optional<OccupationScanMemory> own;
    OccupationScanMemory::Parts& held = memory ? memory->Held() : own.emplace().Held();
    ScanProgress progress(events.onError, events.onProgress, files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (Cancelled(cancel))
            return false;
        const std::optional<std::string> error = ScanFile(files[i], room, events, cancel, threads, held);
        if (Cancelled(cancel))
            return false;
        progress.FileDone(i, error);
    }
    return progress.AllRead();
}

} // namespace kiv
