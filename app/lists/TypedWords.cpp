#include "app/lists/TypedWords.h"

#include "logscan/Cp1252.h"
#include "logscan/KivError.h"
#include "qtext/QtCp1252.h"

#include <QPlainTextEdit>
#include <QTextBlock>

#include <algorithm>

namespace kiv {
namespace {

// The first character of the word that Windows-1252 cannot hold, or 0.
char32_t UnwritableCharacter(const QString& word)
{
    const QList<uint> characters = word.toUcs4();
    const auto found = std::find_if(characters.begin(), characters.end(),
                                    [](uint c) { return UnicodeToCp1252(c) < 0; });
    return found == characters.end() ? 0 : *found;
}

} // namespace

TypedWords WordsOfBox(const QPlainTextEdit& box)
{
    TypedWords typed;
    for (QTextBlock block = box.document()->firstBlock(); block.isValid(); block = block.next()) {
        const QString word = block.text();
        if (const char32_t bad = UnwritableCharacter(word))
            typed.refusals.push_back(UnsearchableWordMessage(ToCp1252(word), bad));
        else
            typed.words.push_back(ToCp1252(word));
    }
    // The line break after the last word adds no empty word.
    if (box.document()->lastBlock().text().isEmpty() && !typed.words.empty())
        typed.words.pop_back();
    return typed;
}

} // namespace kiv
