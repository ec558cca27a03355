// Any connection log: the indexed pairing of logins with logouts must give
// exactly what the plain forward search from each login line gives.

#include "logscan/KivError.h"
#include "logscan/LogLineReader.h"
#include "logscan/OccupationScan.h"
#include "logscan/SessionParser.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<kiv::SessionEntry> ForwardSearch(const kiv::LogLineReader& lines, std::string_view room)
{
    std::vector<kiv::SessionEntry> sessions;
    for (std::size_t n = 0; n < lines.Count(); ++n) {
        if (!kiv::PassesRoomFilter(lines[n], room) || !kiv::IsLoginLine(lines[n]))
            continue;
        kiv::SessionEntry entry = kiv::ParseLoginLine(lines[n]);
        for (std::size_t later = n + 1; later < lines.Count(); ++later) {
            if (kiv::IsLogoutLineOf(lines[later], entry.User)) {
                entry.LogoutTime = kiv::LogoutTimeOf(lines[later]);
                break;
            }
        }
        sessions.push_back(entry);
    }
    return sessions;
}

bool Same(const kiv::SessionEntry& a, const kiv::SessionEntry& b)
{
    return a.Room == b.Room && a.Station == b.Station && a.User == b.User && a.LoginTime == b.LoginTime
        && a.LogoutTime == b.LogoutTime && a.Tail == b.Tail;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the room filter, so that filtering is fuzzed too.
    const std::string_view rooms[] = {"Toutes", "S5", "s514", ""};
    const std::string_view room = rooms[data[0] % 4];
    kiv::LogLineReader lines;
    try {
        lines.ReadBytes(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    } catch (const kiv::KivError&) {
        // The lines before a refused indentation are still scanned.
    }
    std::vector<kiv::SessionEntry> indexed;
    kiv::ExtractSessions(lines, room, [&](const kiv::SessionEntry& entry) { indexed.push_back(entry); });
    const std::vector<kiv::SessionEntry> reference = ForwardSearch(lines, room);
    if (indexed.size() != reference.size())
        std::abort();
    for (std::size_t i = 0; i < indexed.size(); ++i)
        if (!Same(indexed[i], reference[i]))
            std::abort();
    return 0;
}
