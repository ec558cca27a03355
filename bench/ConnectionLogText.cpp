#include "bench/ConnectionLogText.h"

#include "bench/Concat.h"
#include "bench/CorpusClock.h"

#include <algorithm>
#include <array>

namespace kivgen {

const std::vector<std::string_view>& Classes()
{
    static const std::vector<std::string_view> classes = {"2NDE1", "2NDE3", "1S2", "1ES1", "TS1", "TL2"};
    return classes;
}

std::string StationName(int number)
{
    std::string name = "PC";
    AppendTwoDigits(name, number);
    return name;
}

std::string ConnectionLine(std::string_view room, std::size_t roomIndex, int station, std::string_view user,
                           std::string_view dayKey, int second, std::string_view kind, std::string_view tail)
{
    std::string line;
    line.reserve(80);
    line += room;
    line += '-';
    line += StationName(station);
    line += ':';
    line += user;
    line += ':';
    line += dayKey;
    line += ':';
    AppendHhmmss(line, second);
    line += ':';
    line += kind;
    line += ":10.";
    line += std::to_string(roomIndex / 200 + 1);
    line += '.';
    line += std::to_string(roomIndex % 200 + 1);
    line += '.';
    line += std::to_string(station);
    line += ':';
    if (kind == "print") {
        line += "HP2200-";
        line += room;
    } else if (kind == "share") {
        line += "\\\\TORVEL\\commun";
    } else {
        line += "WINXP";
    }
    line += ":TORVEL:";
    line += tail;
    return line;
}

ConnectionDay::ConnectionDay(std::string dayKey) : dayKey_(std::move(dayKey)) {}

void ConnectionDay::Add(std::size_t roomIndex, std::string_view room, int station, std::string_view user, int second,
                        std::string_view kind, std::string_view tail)
{
    lines_.push_back({second, seq_++, ConnectionLine(room, roomIndex, station, user, dayKey_, second, kind, tail)});
}

void ConnectionDay::Session(Rng& rng, std::size_t roomIndex, std::string_view room, int station,
                            std::string_view user, int login, int logout, bool withLogout, std::string_view tail)
{
    Add(roomIndex, room, station, user, login, "login", tail);
    if (rng.PerThousand(150) && logout - login > 120)
        Add(roomIndex, room, station, user, login + rng.Between(60, logout - login - 30), "print", tail);
    if (withLogout) Add(roomIndex, room, station, user, logout, "logout", tail);
}

std::string ConnectionDay::Bytes()
{
    SortByTime(lines_);
    std::string out;
    for (const TimedLine& l : lines_) {
        out += l.line;
        out += "\r\n";
    }
    return out;
}

namespace {

// A line of the busy day before it is written: a million of them are sorted.
struct BusyEvent {
    int second;
    std::uint32_t seq;
    std::uint32_t user;
    std::uint16_t room;
    std::uint8_t station;
    std::uint8_t kind;
};

} // namespace

std::string BusyDayText(std::size_t lineCount, std::uint32_t userCount, std::string_view dayKey, std::uint64_t seed)
{
    Rng rng = StreamFor(seed, 4, 0);

    std::vector<std::string> rooms;
    for (int floor : {1, 2, 3, 4, 5})
        for (int n = 1; n <= 8; ++n) rooms.push_back(Concat("S", std::to_string(floor * 100 + n)));
    rooms.push_back("SPROF");
    rooms.push_back("SCDI");
    constexpr int kStations = 30;

    const std::vector<std::string_view> named = {"h\xE9l\xE8ne.m", "fran\xE7ois.d", "j\xE9r\xF4me.l",
                                                 "chlo\xE9.b", "no\xE9mie.t"};
    std::vector<std::string> users;
    for (std::uint32_t u = 1; u <= userCount; ++u) {
        if (u % 97 == 0) users.push_back(Concat(named[u / 97 % named.size()], std::to_string(u)));
        else users.push_back(Concat("eleve", std::to_string(u)));
    }

    enum Kind : std::uint8_t { kLogin, kLogout, kPrint, kShare, kLock, kUnlock };
    const std::array<std::string_view, 6> kindNames = {"login", "logout", "print", "share", "lock", "unlock"};

    // A sixth of the lines are other events; the rest are sessions, four in
    // five of which end with a logout.
    const std::size_t sessionLines = lineCount - lineCount / 6;
    const std::size_t sessions = sessionLines * 5 / 9;
    const std::size_t perUser = std::max<std::size_t>(1, sessions / userCount);
    const int dayStart = Hm(8, 0), dayEnd = Hm(17, 30), lastSecond = Hm(17, 59) + 59;
    // A session and the pause before it take 7/8 of a slot on average: the
    // slots are stretched so that each user's sessions fill the school day.
    const int slotLength = std::max(4, (dayEnd - dayStart) * 8 / (7 * static_cast<int>(perUser)));

    std::vector<BusyEvent> events;
    events.reserve(lineCount);
    std::uint32_t seq = 0;
    std::vector<int> clock(userCount);
    for (auto& c : clock) c = dayStart + rng.Between(0, slotLength);
    std::size_t madeSessions = 0;
    for (std::uint32_t u = 0; madeSessions < sessions && events.size() < lineCount; u = (u + 1) % userCount) {
        const auto room = static_cast<std::uint16_t>(rng.Below(rooms.size()));
        const auto station = static_cast<std::uint8_t>(rng.Between(1, kStations));
        const int login = std::min(clock[u] + rng.Between(0, slotLength / 4), lastSecond);
        const int logout = std::min(login + slotLength / 2 + rng.Between(0, slotLength / 2), lastSecond);
        clock[u] = logout + 1;
        events.push_back({login, seq++, u, room, station, kLogin});
        if (!rng.PerThousand(200) && events.size() < lineCount)
            events.push_back({logout, seq++, u, room, station, kLogout});
        ++madeSessions;
    }
    while (events.size() < lineCount) {
        const auto u = static_cast<std::uint32_t>(rng.Below(userCount));
        const auto kind = static_cast<std::uint8_t>(kPrint + rng.Below(4));
        events.push_back({rng.Between(dayStart, dayEnd), seq++, u, static_cast<std::uint16_t>(rng.Below(rooms.size())),
                          static_cast<std::uint8_t>(rng.Between(1, kStations)), kind});
    }
    std::sort(events.begin(), events.end(), [](const BusyEvent& a, const BusyEvent& b) {
        return a.second != b.second ? a.second < b.second : a.seq < b.seq;
    });

    const std::vector<std::string_view>& classes = Classes();
    std::string out;
    out.reserve(lineCount * 72);
    for (const BusyEvent& e : events) {
        out += ConnectionLine(rooms[e.room], e.room, e.station, users[e.user], dayKey, e.second, kindNames[e.kind],
                              classes[e.user % classes.size()]);
        out += "\r\n";
    }
    return out;
}

} // namespace kivgen
