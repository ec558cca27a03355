#include "logscan/KivError.h"

#include <cstdio>
#include <new>
#include <stdexcept>

namespace kiv {

std::string CannotOpenMessage(std::string_view fileName)
{
    return "Impossible d'ouvrir le fichier " + std::string(fileName);
}

std::string CannotCreateMessage(std::string_view fileName)
{
    return "Impossible de cr\xE9" "er le fichier " + std::string(fileName);
}

std::string BadLevelMessage(long long level, std::string_view item)
{
    constexpr std::size_t kMostQuoted = 200;
    std::string quoted(item.substr(0, kMostQuoted));
    if (item.size() > kMostQuoted)
        quoted += "...";
    return "Niveau incorrect (" + std::to_string(level) + ") pour l'\xE9l\xE9ment \"" + quoted + "\"";
}

std::string TooLargeMessage(std::string_view fileName)
{
    return "Fichier trop volumineux : " + std::string(fileName);
}

std::string FileFailureMessage(std::string_view fileName)
{
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return TooLargeMessage(fileName);
    } catch (const std::length_error&) {
        return TooLargeMessage(fileName);
    } catch (...) {
        return CannotOpenMessage(fileName);
    }
}

std::string UnsearchableWordMessage(std::string_view cp1252Word, char32_t codePoint)
{
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(codePoint));
    return "Le mot \xAB " + std::string(cp1252Word) + " \xBB contient un caract\xE8re (" + code
           + ") que les logs ne peuvent pas contenir";
}

std::string StreamWriteMessage()
{
    return "Erreur \xE0 l'enregistrement du flux";
}

std::string BadIndexMessage()
{
    return "Index incorrect";
}

std::string ListIndexMessage(long long index)
{
    return "Indice de liste hors limites (" + std::to_string(index) + ")";
}

std::string WithFullStop(std::string_view text)
{
    std::string shown(text);
    if (!shown.empty() && static_cast<unsigned char>(shown.back()) > static_cast<unsigned char>('.'))
        shown += '.';
    return shown;
}

} // namespace kiv
