#pragma once
// The words typed in the box of "Rechercher avec ces mots -->", one a line,
// as the search takes them: Windows-1252 bytes. A word with a character that
// no log can hold (a Polish l with stroke, a zero-width space pasted from a web page) would be
// searched for with "?" in its place and find lines it does not name: it is
// refused with a message, and the search goes on with the other words.

#include "logscan/TextList.h"

#include <string>
#include <vector>

class QPlainTextEdit;

namespace kiv {

struct TypedWords {
    TextList words;
    std::vector<std::string> refusals; // one error text a refused word
};

TypedWords WordsOfBox(const QPlainTextEdit& box);

} // namespace kiv
