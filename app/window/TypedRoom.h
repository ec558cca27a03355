#pragma once
// The room typed in the room box, as the room scan takes it: Windows-1252
// bytes. A room with a character that no log can hold (a Greek letter, a
// symbol pasted from a web page) would be scanned with "?" in its place and
// show the sessions of a room it does not name: it finds nothing, and says
// why.

#include <QString>

#include <optional>
#include <string>

namespace kiv {

struct TypedRoom {
    std::string room;                 // the room's bytes, when it can be scanned
    std::optional<std::string> refusal; // else why it finds nothing (Windows-1252)
};

TypedRoom RoomOfBox(const QString& text);

} // namespace kiv
