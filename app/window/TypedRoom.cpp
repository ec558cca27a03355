#include "app/window/TypedRoom.h"

#include "logscan/Cp1252.h"
#include "qtext/QtCp1252.h"

#include <cstdio>

namespace kiv {

TypedRoom RoomOfBox(const QString& text)
{
    for (const char32_t c : text.toUcs4()) {
        if (UnicodeToCp1252(c) >= 0)
            continue;
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
        // The words a refused typed word is named with, said of a room.
        return {{},
                "La salle \xAB " + ToCp1252(text) + " \xBB contient un caract\xE8re (" + code
                    + ") que les logs ne peuvent pas contenir"};
    }
    return {ToCp1252(text), std::nullopt};
}

} // namespace kiv
