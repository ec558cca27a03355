#include "OccupationScan.h"

#include "AsciiCase.h"
#include "CancelFlag.h"
#include "FileIo.h"
#include "KivError.h"
#include "LineBreaks.h"
#include "LogoutIndex.h"
#include "OrderedBatches.h"
#include "SessionParser.h"

#include <algorithm>
#include <array>
#include <optional>


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
// with their users, and the lines that may close a session with their hours.
// A line's place is the offset of its text in the file's content.
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
    chunk.logins.reserve(expected);
    chunk.loginLines.reserve(expected);
    chunk.candidates.reserve(expected);
    chunk.candidateHours.reserve(expected);
    std::size_t start = begin;
    for (std::size_t n = 0; start < end; ++n) {
        if (n % kCancelStride == 0 && Cancelled(cancel))
            return;
        const std::size_t lineEnd = FindLineBreak(text, start, end);
        const std::size_t body = SkipLineBlanks(text, start, lineEnd);
        const std::string_view line = text.substr(body, lineEnd - body);
        const LogWords words = FindLogWords(line);
        if (words.logout && keepLogouts && (keepAllLogouts || !chunk.logins.empty())) {
            chunk.candidates.push_back({body, line});
            chunk.candidateHours.emplace_back(line);
        }
        if (words.login && (allRooms || AsciiStartsWithNoCase(line, room))) {
            // The user is the key that finds the logout: no pairing, no key.
            chunk.logins.push_back({body, keepLogouts ? LoginUser(line) : std::string_view()});
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
    SessionMaker(const std::vector<ChunkLines>& chunks, const std::vector<std::size_t>& logouts)
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
            while (login >= chunks_[c].firstLogin + chunks_[c].logins.size())
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
        while (login >= chunks_[c].firstLogin + chunks_[c].logins.size())
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

    const std::vector<ChunkLines>& chunks_;
    const std::vector<std::size_t>& logouts_;
};

// Hands each batch of sessions to deliver(batch), in line order, on the
// calling thread; deliver may take the batch's entries.
template <class Deliver>
void ExtractInBatches(const LogLineReader& lines, std::string_view room, const std::atomic<bool>* cancel,
                      const ScanThreads& threads, bool pairLogouts, Deliver&& deliver)
{
    if (room.empty())
        return; // no line passes an empty room
    const std::string_view text = lines.Content();
    const unsigned threadCount = ThreadCountFor(threads, text.size());

    // The chunks are read side by side, then their logins are paired.
    const std::vector<std::size_t> bounds = ChunkBounds(text, threadCount);
    std::vector<ChunkLines> chunks(threadCount);
    RunOnThreads(threadCount, [&](unsigned c) {
        ScanChunk(text, bounds[c], bounds[c + 1], room, c != 0, pairLogouts, chunks[c], cancel);
    });
    if (Cancelled(cancel))
        return;
    std::vector<PairingStretch> stretches;
    std::size_t loginCount = 0;
    std::size_t candidateCount = 0;
    for (ChunkLines& chunk : chunks) {
        chunk.firstLogin = loginCount;
        chunk.firstCandidate = candidateCount;
        loginCount += chunk.logins.size();
        candidateCount += chunk.candidates.size();
        stretches.push_back({chunk.candidates, chunk.logins});
    }
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

} // namespace

void ExtractSessions(const LogLineReader& lines, std::string_view room,
                     const std::function<void(const SessionEntry&)>& onSession, const std::atomic<bool>* cancel,
                     const ScanThreads& threads, bool pairLogouts)
{
    // The batches stay with their slots, so that their strings keep their
    // room from one batch to the next.
    ExtractInBatches(lines, room, cancel, threads, pairLogouts, [&](const std::vector<SessionEntry>& batch) {
        if (onSession)
            for (const SessionEntry& entry : batch)
                onSession(entry);
    });
}

void ExtractSessionBatches(const LogLineReader& lines, std::string_view room, const SessionBatchSink& onBatch,
                           const std::atomic<bool>* cancel, const ScanThreads& threads, bool pairLogouts)
{
    ExtractInBatches(lines, room, cancel, threads, pairLogouts, [&](std::vector<SessionEntry>& batch) {
        if (onBatch && !batch.empty())
            onBatch(std::move(batch));
        batch.clear(); // given away: the slot makes new entries for its next batch
    });
}

namespace {

// Reads one file and hands on its sessions. Returns the error's text when
// the file could not be read to its end; whatever goes wrong with one file
// is that file's error, and the scan goes on with the next.
std::optional<std::string> ScanFile(const std::string& path, std::string_view room,
                                    const OccupationScanEvents& events, const std::atomic<bool>* cancel,
                                    const ScanThreads& threads)
{
    const std::filesystem::path file = PathFromBytes(path);
    std::optional<std::string> error;
    try {
        LogLineReader reader;
        try {
            // The scan cuts the lines itself: the reader's list is not needed.
            reader.ReadContent(file, PathForMessage(file));
        } catch (const KivError& refused) {
            // When its indentation was refused, the lines read before the
            // refused one are still scanned.
            error = refused.what();
        }
        if (events.onSessions)
            ExtractSessionBatches(reader, room, events.onSessions, cancel, threads, events.pairLogouts);
        else
            ExtractSessions(reader, room, events.onSession, cancel, threads, events.pairLogouts);
    } catch (const std::exception&) {
        error = FileFailureMessage(PathForMessage(file));
    }
    return error;
}

} // namespace

bool RunOccupationScan(const std::vector<std::string>& files, std::string_view room,
                       const OccupationScanEvents& events, const std::atomic<bool>* cancel, const ScanThreads& threads)
{
    bool everyFileRead = true;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (Cancelled(cancel))
            return false;
        const std::optional<std::string> error = ScanFile(files[i], room, events, cancel, threads);
        if (Cancelled(cancel))
            return false;
        if (error) {
            everyFileRead = false;
            if (events.onError)
                events.onError(*error);
        }
        if (events.onProgress)
            events.onProgress(i + 1, files.size());
    }
    return everyFileRead;
}

} // namespace kiv
