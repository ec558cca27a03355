#include "logscan/SessionText.h"

namespace kiv {

std::string SessionLine(const SessionEntry& entry)
{
    std::string line;
    AppendSessionLine(entry, line);
    return line;
}

void AppendSessionLine(const SessionEntry& entry, std::string& line)
{
    line.reserve(line.size() + entry.Room.size() + entry.Station.size() + entry.LoginTime.size()
                 + entry.LogoutTime.size() + entry.User.size() + entry.Tail.size() + 16);
    line += entry.Room;
    line += "  ";
    line += entry.Station;
    line += "  ";
    line += entry.LoginTime;
    line += " - ";
    line += entry.LogoutTime;
    line += "     ";
    line += entry.User;
    line += "    ";
    line += entry.Tail;
}

void AppendSlotEntry(const SessionEntry& entry, std::string& out)
{
    out += '\r';
    out += entry.Room;
    out += entry.Station;
    out += ' ';
    out += entry.LoginTime;
    out += '-';
    out += entry.LogoutTime;
    out += ' ';
    out += entry.User;
    out += ' ';
    out += entry.Tail;
}

std::string SlotEntry(const SessionEntry& entry)
{
    std::string text;
    text.reserve(entry.Room.size() + entry.Station.size() + entry.LoginTime.size() + entry.LogoutTime.size()
                 + entry.User.size() + entry.Tail.size() + 5);
    AppendSlotEntry(entry, text);
    return text;
}

} // namespace kiv
