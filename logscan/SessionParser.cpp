#include "logscan/SessionParser.h"

#include "common/AsciiCase.h"
#include "logscan/Simd.h"

#include <algorithm>
#include <bit>

namespace kiv {
namespace {

// The user's name counts only from this index on, past the room.
constexpr std::size_t kFirstUserIndex = 5;

constexpr std::size_t kNotFound = std::string_view::npos;

// Walks a line field by field. The cursor stops one character short of the end
// for every field but the tail, so a line that ends inside a field loses that
// field's last character and leaves the later fields empty.
class FieldCursor {
public:
    explicit FieldCursor(std::string_view line) noexcept : line_(line) {}

    // Fields 1 to 9 never take the line's last character.
    std::string_view Field(char separator) noexcept { return Read(separator, LastIndex()); }

    void Skip(int count) noexcept
    {
        for (int i = 0; i < count; ++i)
            Read(':', LastIndex());
    }

    // Field 10 may run to the end of the line.
    std::string_view Tail() noexcept { return Read(':', line_.size()); }

private:
    std::size_t LastIndex() const noexcept { return line_.empty() ? 0 : line_.size() - 1; }

    // Reads while the index is below limit and the byte is not the separator,
    // then steps over the separator (or past the end).
    std::string_view Read(char separator, std::size_t limit) noexcept
    {
        if (pos_ >= line_.size()) {
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

namespace {

// What the "log" at index at of line begins, given what came before: a busy
// day's million lines each hold a few, and every line is looked at.
struct LogWordsSeen {
    LogWords words;
    bool loginSeen = false;
    bool logoutSeen = false;

    bool Done() const noexcept { return loginSeen && logoutSeen; }

    void Look(std::string_view line, std::size_t at) noexcept
    {
        const std::string_view rest = line.substr(at + 3);
        if (!loginSeen && rest.size() >= 2 && rest[0] == 'i' && rest[1] == 'n') {
            loginSeen = true;
            words.login = at >= kFirstLogWordIndex;
        } else if (!logoutSeen && rest.size() >= 3 && rest[0] == 'o' && rest[1] == 'u' && rest[2] == 't') {
            logoutSeen = true;
            words.logout = at >= kFirstLogWordIndex;
        }
    }
};

} // namespace

LogWords FindLogWords(std::string_view line) noexcept
{
    LogWordsSeen seen;
    std::size_t from = 0;
#ifdef KIV_HAVE_SSE2
    // Every "log" of sixteen places at once, then each looked at in order.
    const char* const bytes = line.data();
    const auto at = [bytes](std::size_t i, std::size_t k, char c) {
        return _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i + k)), _mm_set1_epi8(c));
    };
    for (; from + 16 + 2 <= line.size(); from += 16) {
        auto found = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(at(from, 0, 'l'), _mm_and_si128(at(from, 1, 'o'), at(from, 2, 'g')))));
        for (; found != 0; found &= found - 1) {
            seen.Look(line, from + static_cast<std::size_t>(std::countr_zero(found)));
            if (seen.Done())
                return seen.words;
        }
    }
#endif
    for (std::size_t at = line.find("log", from); at != kNotFound && !seen.Done(); at = line.find("log", at + 1))
        seen.Look(line, at);
    return seen.words;
}

bool IsLoginLine(std::string_view line) noexcept
{
    const std::size_t at = line.find("login", 0);
    return at != kNotFound && at >= kFirstLogWordIndex;
}

bool IsLogoutLine(std::string_view line) noexcept
{
    const std::size_t at = line.find("logout", 0);
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

std::string_view LoginUser(std::string_view line) noexcept
{
    FieldCursor cursor(line);
    cursor.Field('-');
    cursor.Field(':');
    return cursor.Field(':');
}

LoginRoomTime ParseLoginRoomTime(std::string_view line) noexcept
{
    FieldCursor cursor(line);
    LoginRoomTime fields;
    fields.Room = cursor.Field('-');
    cursor.Skip(3); // the station, the user and the date
    fields.Time = cursor.Field(':');
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
    std::string hour;
    FormatLogTimeInto(t, hour);
    return hour;
}

void FormatLogTimeInto(std::string_view t, std::string& out)
{
    out.resize(LogTimeLength(t));
    WriteLogTime(t, out.data());
}

std::size_t LogTimeLength(std::string_view t) noexcept
{
    if (t.size() < 5)
        return t.size();
    return t.size() > 6 ? t.size() - 1 : 5;
}

void WriteLogTime(std::string_view t, char* out) noexcept
{
    if (t.size() < 5) {
        std::copy(t.begin(), t.end(), out);
        return;
    }
    out[0] = t[0];
    out[1] = t[1];
    out[2] = 'h';
    out[3] = t[2];
    out[4] = t[3];
    if (t.size() > 6)
        std::copy(t.begin() + 6, t.end(), out + 5);
}

bool IsLogoutLineOf(std::string_view line, std::string_view user) noexcept
{
    if (user.empty() || !IsLogoutLine(line))
        return false;
    const std::size_t at = line.find(user, 0);
    return at != kNotFound && at >= kFirstUserIndex;
}

std::string_view LogoutTimeField(std::string_view logoutLine) noexcept
{
    FieldCursor cursor(logoutLine);
    cursor.Skip(3); // room-station, user, date
    return cursor.Field(':');
}

std::string LogoutTimeOf(std::string_view logoutLine)
{
    return FormatLogTime(LogoutTimeField(logoutLine));
}

} // namespace kiv
