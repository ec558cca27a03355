#pragma once
// The lines of the made-up connection logs:
// "S514-PC03:eleve12:011226:082533:login:10.1.1.3:WINXP:TORVEL:2NDE1", that is
// room-station, user, ddmmyy, hhmmss, what happened (login, logout, print,
// share, lock, unlock), the station's address, a detail (the system, the
// printer or the shared folder), the domain and the pupil's class. CR LF.

#include "bench/CorpusRandom.h"
#include "bench/TimedLines.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kivgen {

// The classes of the school, the last field of every line.
const std::vector<std::string_view>& Classes();

// "PC03" for 3.
std::string StationName(int number);

// One line, without its break. roomIndex numbers the room for its address.
std::string ConnectionLine(std::string_view room, std::size_t roomIndex, int station, std::string_view user,
                           std::string_view dayKey, int second, std::string_view kind, std::string_view tail);

// A day's connection log built session by session, written in time order.
class ConnectionDay {
public:
    explicit ConnectionDay(std::string dayKey);

    void Add(std::size_t roomIndex, std::string_view room, int station, std::string_view user, int second,
             std::string_view kind, std::string_view tail);

    // A login, now and then a print-out, and the logout unless withLogout is
    // false (the pupil walked away and the server never wrote one).
    void Session(Rng& rng, std::size_t roomIndex, std::string_view room, int station, std::string_view user,
                 int login, int logout, bool withLogout, std::string_view tail);

    std::size_t Count() const { return lines_.size(); }

    // The lines in time order, each followed by CR LF.
    std::string Bytes();

private:
    std::string dayKey_;
    std::vector<TimedLine> lines_;
    std::uint32_t seq_ = 0;
};

// A very busy day: exactly lineCount lines from userCount users over 42 rooms
// of 30 stations, sessions of all users interleaved from 08h00 to about 17h30,
// one login in five without a logout, a sixth of the lines other events.
// Users are eleve1, eleve2, ..., so that many names are part of others.
std::string BusyDayText(std::size_t lineCount, std::uint32_t userCount, std::string_view dayKey, std::uint64_t seed);

} // namespace kivgen
