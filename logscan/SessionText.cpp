#include "SessionText.h"

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

std::string SlotEntry(const SessionEntry& entry)
{
    std::string text;
    text.reserve(entry.Room.size() + entry.Station.size() + entry.LoginTime.size() + entry.LogoutTime.size()
                 + entry.User.size() + entry.Tail.size() + 5);
    text += '\r';
    text += entry.Room;
    text += entry.Station;
    text += ' ';
    text += entry.LoginTime;
    text += '-';
    text += entry.LogoutTime;
    text += ' ';
    text += entry.User;
    text += ' ';
    text += entry.Tail;
    return text;
}

} // namespace kiv
