#pragma once
// The watched words the tool uses when no "kiv.ini" gives others.

#include "logscan/TextList.h"

namespace kiv {

// "sexe", "sexy", "enculer", "bites", "seins nu", "femme nu", "femmes nu".
TextList BuiltInWatchedWords();

} // namespace kiv
