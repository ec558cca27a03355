#include "logscan/DefaultWords.h"

namespace kiv {

TextList BuiltInWatchedWords()
{
    return {"sexe", "sexy", "enculer", "bites", "seins nu", "femme nu", "femmes nu"};
}

} // namespace kiv
