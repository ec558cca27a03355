#pragma once
// One pupil's session on one computer: a login line of a connection log paired
// with the first later logout line of the same user. Everything is text, as the
// log holds it; the times are already in their hour form ("08h25").

#include <string>

namespace kiv {

struct SessionEntry {
    std::string Room;
    std::string Station;
    std::string User;
    std::string LoginTime;
    std::string LogoutTime; // empty when no logout line of the user follows
    std::string Tail;
};

} // namespace kiv
