#include "OccupationScan.h"

#include "AsciiCase.h"
#include "FileIo.h"
#include "KivError.h"
#include "LogoutIndex.h"
#include "SessionParser.h"

namespace kiv {
namespace {

// How many lines or sessions go by between two looks at the cancel flag.
constexpr std::size_t kCancelStride = 4096;

bool Cancelled(const std::atomic<bool>* cancel) noexcept
{
    return cancel != nullptr && cancel->load(std::memory_order_relaxed);
}

} // namespace

void ExtractSessions(const LogLineReader& lines, std::string_view room,
                     const std::function<void(const SessionEntry&)>& onSession, const std::atomic<bool>* cancel)
{
    if (room.empty())
        return; // no line passes an empty room
    const bool allRooms = room == kAllRooms;

    // One pass over the file: the login lines of the room with their users,
    // and the lines that may close a session begun earlier in the file. Room
    // for every line is reserved up front: it costs address space only, and
    // spares a busy day's lists from being copied as they grow.
    std::vector<LoginKey> logins;
    std::vector<LogoutCandidate> candidates;
    const std::size_t count = lines.Count();
    logins.reserve(count);
    candidates.reserve(count);
    for (std::size_t n = 0; n < count; ++n) {
        if (n % kCancelStride == 0 && Cancelled(cancel))
            return;
        const std::string_view line = lines[n];
        const LogWords words = FindLogWords(line);
        if (words.logout && !logins.empty())
            candidates.push_back({n, line});
        if (words.login && (allRooms || AsciiStartsWithNoCase(line, room)))
            logins.push_back({n, LoginUser(line)});
    }
    if (logins.empty())
        return;

    const std::vector<std::size_t> logouts = PairLogouts(candidates, logins);

    // The logout times in use, formatted once each and in file order into one
    // small block: the sessions below read them from there instead of going
    // back to logout lines all over the file. The time of candidate p is
    // times[timeStart[p], timeStart[p + 1]).
    std::vector<bool> used(candidates.size(), false);
    for (std::size_t position : logouts)
        if (position != kNoLogout)
            used[position] = true;
    std::vector<std::size_t> timeStart(candidates.size() + 1);
    std::string times;
    std::string hour;
    for (std::size_t position = 0; position < candidates.size(); ++position) {
        timeStart[position] = times.size();
        if (used[position]) {
            FormatLogTimeInto(LogoutTimeField(candidates[position].text), hour);
            times += hour;
        }
    }
    timeStart[candidates.size()] = times.size();

    SessionEntry entry;
    for (std::size_t k = 0; k < logins.size(); ++k) {
        if (k % kCancelStride == 0 && Cancelled(cancel))
            return;
        const LoginFields fields = ParseLoginFields(lines[logins[k].line]);
        entry.Room.assign(fields.Room);
        entry.Station.assign(fields.Station);
        entry.User.assign(fields.User);
        FormatLogTimeInto(fields.Time, entry.LoginTime);
        if (logouts[k] == kNoLogout) {
            entry.LogoutTime.clear();
        } else {
            const std::size_t position = logouts[k];
            entry.LogoutTime.assign(times, timeStart[position], timeStart[position + 1] - timeStart[position]);
        }
        entry.Tail.assign(fields.Tail);
        if (onSession)
            onSession(entry);
    }
}

bool RunOccupationScan(const std::vector<std::string>& files, std::string_view room,
                       const OccupationEvents& events, const std::atomic<bool>* cancel)
{
    bool everyFileRead = true;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (Cancelled(cancel))
            return false;
        LogLineReader reader;
        try {
            reader.Read(PathFromBytes(files[i]), files[i]);
        } catch (const KivError& error) {
            // The file is skipped; when its indentation was refused, the lines
            // read before the refused one are still scanned.
            everyFileRead = false;
            if (events.onError)
                events.onError(error.what());
        }
        ExtractSessions(reader, room, events.onSession, cancel);
        if (Cancelled(cancel))
            return false;
        if (events.onProgress)
            events.onProgress(i + 1, files.size());
    }
    return everyFileRead;
}

} // namespace kiv
