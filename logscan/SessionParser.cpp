#include "SessionParser.h"

#include "AsciiCase.h"

#include <cstring>

namespace kiv {
namespace {

// Where the words before a login or logout may end: "login" and "logout" count
// only from this index on, past the room, station and user of the line.
constexpr std::size_t kFirstLogWordIndex = 15;

// The user's name counts only from this index on, past the room.
constexpr std::size_t kFirstUserIndex = 5;

constexpr std::size_t kNotFound = std::string_view::npos;

// First occurrence of needle in text at or after from. glibc's memmem is much
// faster than a byte loop on the long runs of a busy day's log.
std::size_t FindFrom(std::string_view text, std::string_view needle, std::size_t from) noexcept
{
#if defined(__GLIBC__)
    if (from > text.size())
        return kNotFound;
    const void* hit = ::memmem(text.data() + from, text.size() - from, needle.data(), needle.size());
    return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text.data()) : kNotFound;
#else
    return text.find(needle, from);
#endif
}

// Walks a line field by field. The cursor stops one character short of the end
// for every field but the tail, so a line that ends inside a field loses that
// field's last character and leaves the later fields empty.
class FieldCursor {
public:
    explicit FieldCursor(std::string_view line) noexcept : line_(line) {}

    std::string_view Field(char separator) noexcept { return Read(separator, line_.size() - 1); }

    void Skip(int count) noexcept
    {
        for (int i = 0; i < count; ++i)
            Read(':', line_.size() - 1);
    }

    std::string_view Tail() noexcept { return Read(':', line_.size()); }

private:
    // Reads while the index is below limit and the byte is not the separator,
    // then steps over the separator (or past the end).
    std::string_view Read(char separator, std::size_t limit) noexcept
    {
        if (line_.empty() || pos_ >= line_.size()) {
            ++pos_;
            return {};
        }
        const std::size_t start = pos_;
        std::size_t end = start;
        while (end < limit && line_[end] != separator)
            ++end;
        pos_ = end + 1;
        return line_.substr(start, end - start);
    }

    std::string_view line_;
    std::size_t pos_ = 0;
};

} // namespace

bool PassesRoomFilter(std::string_view line, std::string_view room) noexcept
{
    if (room.empty())
        return false;
    return room == kAllRooms || AsciiStartsWithNoCase(line, room);
}

LogWords FindLogWords(std::string_view line) noexcept
{
    LogWords words;
    bool loginSeen = false;
    bool logoutSeen = false;
    for (std::size_t at = FindFrom(line, "log", 0); at != kNotFound && !(loginSeen && logoutSeen);
         at = FindFrom(line, "log", at + 1)) {
        const std::string_view rest = line.substr(at + 3);
        if (!loginSeen && rest.starts_with("in")) {
            loginSeen = true;
            words.login = at >= kFirstLogWordIndex;
        } else if (!logoutSeen && rest.starts_with("out")) {
            logoutSeen = true;
            words.logout = at >= kFirstLogWordIndex;
        }
    }
    return words;
}

bool IsLoginLine(std::string_view line) noexcept
{
    const std::size_t at = FindFrom(line, "login", 0);
    return at != kNotFound && at >= kFirstLogWordIndex;
}

bool IsLogoutLine(std::string_view line) noexcept
{
    const std::size_t at = FindFrom(line, "logout", 0);
    return at != kNotFound && at >= kFirstLogWordIndex;
}

LoginFields ParseLoginFields(std::string_view line) noexcept
{
    FieldCursor cursor(line);
    LoginFields fields;
    fields.Room = cursor.Field('-');
    fields.Station = cursor.Field(':');
    fields.User = cursor.Field(':');
    cursor.Skip(1); // the date
    fields.Time = cursor.Field(':');
    cursor.Skip(4); // "login" and what the server writes after it
    fields.Tail = cursor.Tail();
    return fields;
}

SessionEntry ParseLoginLine(std::string_view line)
{
    const LoginFields fields = ParseLoginFields(line);
    SessionEntry entry;
    entry.Room = fields.Room;
    entry.Station = fields.Station;
    entry.User = fields.User;
    entry.LoginTime = FormatLogTime(fields.Time);
    entry.Tail = fields.Tail;
    return entry;
}

std::string FormatLogTime(std::string_view t)
{
    if (t.size() < 5)
        return std::string(t);
    std::string hour;
    hour.reserve(t.size() > 6 ? t.size() - 1 : 5);
    hour += t.substr(0, 2);
    hour += 'h';
    hour += t.substr(2, 2);
    if (t.size() > 6)
        hour += t.substr(6);
    return hour;
}

bool IsLogoutLineOf(std::string_view line, std::string_view user) noexcept
{
    if (user.empty() || !IsLogoutLine(line))
        return false;
    const std::size_t at = FindFrom(line, user, 0);
    return at != kNotFound && at >= kFirstUserIndex;
}

std::string LogoutTimeOf(std::string_view logoutLine)
{
    FieldCursor cursor(logoutLine);
    cursor.Skip(3); // room-station, user, date
    return FormatLogTime(cursor.Field(':'));
}

} // namespace kiv
