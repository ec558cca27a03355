#include "bench/ExampleWeek.h"

#include "bench/Concat.h"
#include "bench/ConnectionLogText.h"
#include "bench/CorpusClock.h"
#include "bench/CorpusRandom.h"
#include "bench/KeywordLogText.h"
#include "bench/TimedLines.h"

#include <algorithm>
#include <array>

namespace kivgen {

namespace {

// The school: five rooms, six classes, a few teachers.

struct Room {
    std::string_view name;
    int stations;
};

const std::vector<std::string_view>& kClasses = Classes();

const std::vector<Room> kExampleRooms = {{"S514", 12}, {"S302", 10}, {"S502", 12}, {"SPROF", 4}, {"SCDI", 8}};

const std::vector<std::string_view> kSlotHeaders = {"08h25", "09h20", "10h30", "11h25",
                                                    "12h35", "14h00", "15h00", "17h00"};
constexpr std::array<int, 8> kSlotStart = {Hm(8, 25), Hm(9, 20),  Hm(10, 30), Hm(11, 25),
                                           Hm(12, 35), Hm(14, 0), Hm(15, 0),  Hm(17, 0)};
constexpr std::array<int, 8> kSlotEnd = {Hm(9, 20),  Hm(10, 15), Hm(11, 25), Hm(12, 20),
                                         Hm(13, 30), Hm(14, 55), Hm(15, 55), Hm(17, 30)};

const std::vector<std::string_view> kTeachers = {"prof.bernard", "prof.dupr\xE9", "prof.lef\xE8vre",
                                                 "prof.m\xFCller", "prof.garcia"};

struct Pupil {
    std::string name;
    std::size_t classIndex;
};

// Pupils eleve01 to eleve150 in blocks of 25 per class, a few of them with
// their first name (accented) instead of a number. eleve123 joins eleve12's
// class: a login of eleve12 then meets eleve123's logout later in the same
// lesson, the case where one user name is part of another.
std::vector<Pupil> MakePupils()
{
    const std::vector<std::string_view> named = {"h\xE9l\xE8ne.m", "fran\xE7ois.d", "j\xE9r\xF4me.l",
                                                 "chlo\xE9.b", "no\xE9mie.t", "ana\xEFs.r", "c\xE9line.p"};
    std::vector<Pupil> pupils;
    for (int n = 1; n <= 150; ++n) {
        std::size_t cls = static_cast<std::size_t>(n - 1) / 25;
        if (n == 123) cls = 0;
        if (n == 25) cls = 4;
        std::string name = "eleve";
        if (n < 100) AppendTwoDigits(name, n);
        else name += std::to_string(n);
        if (n % 21 == 0) name = std::string(named[static_cast<std::size_t>(n / 21 - 1) % named.size()]);
        pupils.push_back({name, cls});
    }
    return pupils;
}

// One school day in the five rooms. Saturday has lessons in the morning only.
std::string ExampleConnections(Rng& rng, const year_month_day& day, const std::vector<Pupil>& pupils,
                               std::size_t& lines)
{
    ConnectionDay log(DayKey(day));
    const int lastSlot = IsoWeekday(day) == 6 ? 3 : 7;

    // The three computer rooms: a class comes for one or two teaching hours,
    // never to two rooms at once.
    std::array<std::vector<bool>, 8> classBusy;
    for (auto& busy : classBusy) busy.assign(kClasses.size(), false);
    for (std::size_t r = 0; r < 3; ++r) {
        const Room& room = kExampleRooms[r];
        int roomFreeFrom = 0;
        for (int slot = 0; slot <= lastSlot; ++slot) {
            // 2NDE1 has S514 first thing every morning.
            const bool fixedLesson = r == 0 && slot == 0;
            if (slot < roomFreeFrom || (!fixedLesson && !rng.PerThousand(600))) continue;
            int endSlot = slot;
            if ((slot == 0 || slot == 2 || slot == 5) && slot < lastSlot && rng.PerThousand(400)) endSlot = slot + 1;
            std::vector<std::size_t> freeClasses;
            for (std::size_t c = 0; c < kClasses.size(); ++c)
                if (!classBusy[static_cast<std::size_t>(slot)][c] && !classBusy[static_cast<std::size_t>(endSlot)][c])
                    freeClasses.push_back(c);
            if (freeClasses.empty()) continue;
            const std::size_t cls = fixedLesson ? 0 : rng.Pick(freeClasses);
            for (int t = slot; t <= endSlot; ++t) classBusy[static_cast<std::size_t>(t)][cls] = true;
            roomFreeFrom = endSlot + 1;
            std::vector<const Pupil*> group;
            for (const Pupil& p : pupils)
                if (p.classIndex == cls) group.push_back(&p);
            for (std::size_t i = group.size(); i > 1; --i) std::swap(group[i - 1], group[rng.Below(i)]);
            // eleve12 and eleve123 never miss a lesson: their sessions always
            // overlap when their class comes.
            std::stable_partition(group.begin(), group.end(),
                                  [](const Pupil* p) { return p->name == "eleve12" || p->name == "eleve123"; });
            const int present = room.stations * rng.Between(6, 10) / 10;
            for (int s = 0; s < present && s < static_cast<int>(group.size()); ++s) {
                const std::string& user = group[static_cast<std::size_t>(s)]->name;
                const int start = kSlotStart[static_cast<std::size_t>(slot)] + rng.Between(40, 480);
                const int end = kSlotEnd[static_cast<std::size_t>(endSlot)] - rng.Between(0, 360);
                const bool logout = !rng.PerThousand(70);
                if (rng.PerThousand(60)) {
                    // Logged out in the middle of the lesson and back in a minute later.
                    const int mid = start + (end - start) / 2;
                    log.Session(rng, r, room.name, s + 1, user, start, mid, true, kClasses[cls]);
                    log.Session(rng, r, room.name, s + 1, user, mid + rng.Between(30, 120), end, logout,
                                kClasses[cls]);
                } else {
                    log.Session(rng, r, room.name, s + 1, user, start, end, logout, kClasses[cls]);
                }
            }
        }
    }

    const int dayEnd = lastSlot == 7 ? Hm(17, 30) : Hm(12, 30);
    // The library: pupils come and go all day, one at a time on a free computer.
    {
        const std::size_t r = 4;
        std::vector<int> freeAt(static_cast<std::size_t>(kExampleRooms[r].stations), 0);
        const int visits = lastSlot == 7 ? 24 : 10;
        std::vector<int> starts;
        for (int v = 0; v < visits; ++v) starts.push_back(rng.Between(Hm(8, 0), dayEnd - Hm(0, 15)));
        std::sort(starts.begin(), starts.end());
        for (int start : starts) {
            const std::size_t st = rng.Below(freeAt.size());
            if (freeAt[st] > start) continue;
            const Pupil& p = rng.Pick(pupils);
            const int end = std::min(start + rng.Between(600, 3000), dayEnd);
            freeAt[st] = end + 60;
            log.Session(rng, r, kExampleRooms[r].name, static_cast<int>(st) + 1, p.name, start, end,
                        !rng.PerThousand(100), kClasses[p.classIndex]);
        }
    }
    // The staff room.
    {
        const std::size_t r = 3;
        std::vector<int> freeAt(static_cast<std::size_t>(kExampleRooms[r].stations), 0);
        std::vector<int> starts;
        for (int v = 0; v < (lastSlot == 7 ? 10 : 4); ++v) starts.push_back(rng.Between(Hm(7, 55), dayEnd - Hm(0, 10)));
        std::sort(starts.begin(), starts.end());
        for (int start : starts) {
            const std::size_t st = rng.Below(freeAt.size());
            if (freeAt[st] > start) continue;
            const int end = std::min(start + rng.Between(300, 2400), dayEnd);
            freeAt[st] = end + 60;
            std::string_view teacher = rng.Pick(kTeachers);
            log.Session(rng, r, kExampleRooms[r].name, static_cast<int>(st) + 1, teacher, start, end, true, "PROF");
            if (rng.PerThousand(300))
                log.Add(r, kExampleRooms[r].name, static_cast<int>(st) + 1, teacher, start + 30, "share", "PROF");
        }
    }
    lines = log.Count();
    return log.Bytes();
}

std::string ExampleKeywords(Rng& rng, const year_month_day& day, const std::vector<Pupil>& pupils,
                            std::size_t& lines, std::size_t& watched)
{
    const std::string key = DayKey(day);
    const bool saturday = IsoWeekday(day) == 6;
    const int dayEnd = saturday ? Hm(12, 30) : Hm(17, 30);
    std::vector<TimedLine> events;
    std::uint32_t seq = 0;
    watched = 0;
    // Visits: a pupil on one computer opens a few pages within a few minutes.
    const int visits = saturday ? 25 : 60;
    for (int v = 0; v < visits; ++v) {
        const std::string computer = Computer(rng.Between(1, 40));
        const std::string& pupil = rng.Pick(pupils).name;
        int second = rng.Between(Hm(8, 0), dayEnd);
        const int pages = rng.Between(1, 8);
        for (int p = 0; p < pages; ++p) {
            std::string rest;
            if (rng.PerThousand(120)) {
                rest = WatchedRest(rng, rng.Below(WatchedWords().size()));
                ++watched;
            } else {
                rest = OrdinaryRest(rng);
            }
            std::string line;
            AppendKeywordLine(line, computer, pupil, key, second, rest);
            events.push_back({second, seq++, std::move(line)});
            second += rng.Between(5, 150);
        }
    }
    SortByTime(events);
    std::string out;
    for (const TimedLine& e : events) out += e.line;
    lines = events.size();
    return out;
}

// A list file as the tool's dialogs write it: CR LF between lines, none after
// the last.
std::string JoinLines(const std::vector<std::string_view>& lines)
{
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i) out += "\r\n";
        out += lines[i];
    }
    return out;
}

} // namespace

std::vector<ExampleFile> ExampleWeek(std::uint64_t seed)
{
    std::vector<ExampleFile> files;
    const std::vector<std::string_view>& words = WatchedWords();
    files.push_back({"kiv.ini", JoinLines(words), words.size(), 0});
    std::vector<std::string_view> rooms;
    for (const Room& r : kExampleRooms) rooms.push_back(r.name);
    files.push_back({"kiv_salles.txt", JoinLines(rooms), rooms.size(), 0});
    files.push_back({"kiv_heures.txt", JoinLines(kSlotHeaders), kSlotHeaders.size(), 0});

    const std::vector<Pupil> pupils = MakePupils();
    const year_month_day first = ParseDate("2026-12-01");
    for (int d = 0; d < 5; ++d) {
        const year_month_day day = AddDays(first, d);
        const std::string key = DayKey(day);
        Rng keywordRng = StreamFor(seed, 1, static_cast<std::uint64_t>(d));
        std::size_t lines = 0, watched = 0;
        std::string text = ExampleKeywords(keywordRng, day, pupils, lines, watched);
        files.push_back({Concat("logs/web", key, ".txt"), std::move(text), lines, watched});
        Rng connectionRng = StreamFor(seed, 2, static_cast<std::uint64_t>(d));
        text = ExampleConnections(connectionRng, day, pupils, lines);
        files.push_back({Concat("logs/connexr", key, ".log"), std::move(text), lines, 0});
    }
    return files;
}

} // namespace kivgen
