#include "app/lists/WordBox.h"

#include "app/window/KivErrorBox.h"

#include <QMimeData>

namespace kiv {
namespace {

bool HasLineLongerThan(const QString& text, qsizetype most)
{
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == u'\n' || text[i] == u'\r' || text[i] == QChar::ParagraphSeparator) {
            if (i - lineStart > most)
                return true;
            lineStart = i + 1;
        }
    }
    return false;
}

} // namespace

void WordBox::insertFromMimeData(const QMimeData* source)
{
    if (source && source->hasText() && HasLineLongerThan(source->text(), LongestWord)) {
        ShowKivError(this, "Le texte n'est pas coll\xE9 : une de ses lignes d\xE9passe "
                               + std::to_string(LongestWord) + " caract\xE8res, ce n'est pas un mot \xE0 rechercher");
        return;
    }
    QPlainTextEdit::insertFromMimeData(source);
}

} // namespace kiv
