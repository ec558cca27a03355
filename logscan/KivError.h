#pragma once
// The errors that a user can meet. Their texts are French, in Windows-1252
// bytes, exactly as the message box shows them (the box adds the final full
// stop); the engine only raises them, the window or the command line shows them.

#include <stdexcept>
#include <string>
#include <string_view>

namespace kiv {

class KivError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "Impossible d'ouvrir le fichier %s"
std::string CannotOpenMessage(std::string_view fileName);
// "Impossible de crÃ©er le fichier %s"
std::string CannotCreateMessage(std::string_view fileName);
// "Niveau incorrect (%d) pour l'Ã©lÃ©ment "%s"": the element's first 200 bytes
// followed by "..." when it is longer, so that a refused line of 50 MB still
// makes a message a box can show.
std::string BadLevelMessage(long long level, std::string_view item);
// "Fichier trop volumineux : %s": a log file that does not fit in memory.
std::string TooLargeMessage(std::string_view fileName);
// The error of a log file whose reading failed with the exception being
// handled (to be called in a catch block): TooLargeMessage when memory ran
// out, CannotOpenMessage for anything else. A scan reports it as that file's
// error and goes on with the next file.
std::string FileFailureMessage(std::string_view fileName);
// "Le mot « %s » contient un caractère (U+%04X) que les logs ne peuvent pas
// contenir": a typed word with a character that Windows-1252 cannot hold (the
// word shows it as "?"). Searched for as "?", it would find other lines.
std::string UnsearchableWordMessage(std::string_view cp1252Word, char32_t codePoint);
// "Index incorrect"
std::string BadIndexMessage();
// "Erreur à l'enregistrement du flux": results or a list that were being
// written could not be written whole (a full disk, a file-size limit).
std::string StreamWriteMessage();
// "Indice de liste hors limites (%d)"
std::string ListIndexMessage(long long index);

// The text as the application's error box shows it: a full stop is added when
// the text ends in a character that orders after ".".
std::string WithFullStop(std::string_view text);

} // namespace kiv
