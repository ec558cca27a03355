#pragma once
// Reading the connection logs: which lines are logins and logouts, and how a
// login line is cut into its fields.
//
// A connection log line reads "ROOM-STATION:user:date:hhmmss:login:...". The
// fields are cut as the server's lines have always been read: a field runs up
// to its separator ("-" for the room, ":" for the others), but the last
// character of a line never belongs to the first nine fields; only the tenth
// field (the tail) may run to the end of the line. Positions below are
// 0-based indexes into the line.

#include "logscan/SessionEntry.h"

#include <string>
#include <string_view>

namespace kiv {

// The room chosen in the occupation tab that lets every room through.
inline constexpr std::string_view kAllRooms = "Toutes";

// "Toutes" (exactly) lets every line through; any other room text lets through
// the lines that begin with it, letters compared without case. An empty room
// lets nothing through.
bool PassesRoomFilter(std::string_view line, std::string_view room) noexcept;

// "login" and "logout" count only from this index of a line on: before it
// stand the room, the station and the user.
inline constexpr std::size_t kFirstLogWordIndex = 15;

// Where the words "login" and "logout" first stand in a line, found in one pass.
struct LogWords {
    bool login = false;  // the first "login" stands at index 15 or later
    bool logout = false; // the first "logout" stands at index 15 or later
};
LogWords FindLogWords(std::string_view line) noexcept;

// A login line: its first "login" stands at index 15 or later (the room,
// station, user and date come before it).
bool IsLoginLine(std::string_view line) noexcept;

// A line that may close a session: its first "logout" stands at index 15 or later.
bool IsLogoutLine(std::string_view line) noexcept;

// The fields of a login line that a session keeps, as views into the line.
struct LoginFields {
    std::string_view Room;    // field 1
    std::string_view Station; // field 2
    std::string_view User;    // field 3
    std::string_view Time;    // field 5, hhmmss
    std::string_view Tail;    // field 10
};
LoginFields ParseLoginFields(std::string_view line) noexcept;

// Field 3 alone, the user, as ParseLoginFields cuts it.
std::string_view LoginUser(std::string_view line) noexcept;

// Fields 1 and 5 alone, the room and the time, as ParseLoginFields cuts them:
// all that a count of sessions by room and hour reads of a login line.
struct LoginRoomTime {
    std::string_view Room;
    std::string_view Time;
};
LoginRoomTime ParseLoginRoomTime(std::string_view line) noexcept;

// The session of a login line, without its logout time.
SessionEntry ParseLoginLine(std::string_view line);

// "082533" -> "08h25": hours, "h", minutes, then whatever follows the seconds
// ("0825331" -> "08h251"). A field of fewer than five characters is no time
// and is returned as it stands.
std::string FormatLogTime(std::string_view t);
// The same, into out (replacing its content), for loops that reuse a string.
void FormatLogTimeInto(std::string_view t, std::string& out);
// The same written to out, which has room for LogTimeLength(t) bytes.
std::size_t LogTimeLength(std::string_view t) noexcept;
void WriteLogTime(std::string_view t, char* out) noexcept;

// True when the line closes a session of user: it is a logout line and the
// first occurrence of user in it (case-sensitive, anywhere, even inside a
// longer name) stands at index 5 or later. An empty user closes nothing.
bool IsLogoutLineOf(std::string_view line, std::string_view user) noexcept;

// A logout line's time field: the field after room-station, user and date.
std::string_view LogoutTimeField(std::string_view logoutLine) noexcept;

// The hour form of a logout line's time.
std::string LogoutTimeOf(std::string_view logoutLine);

} // namespace kiv
