#pragma once
// The desktop notice that a watched word was just typed: the staff may be
// teaching with the window behind others. A notice tells what the watch found
// since the last one, naming the word, the computer and the pupil, or the
// count when it found several; on a screen that the class can see (a
// projector), the count alone, naming nobody.

#include "jobs/KeywordSearchJob.h"
#include "logscan/TextList.h"

#include <QString>
#include <QStringList>

#include <span>

class QObject;

namespace kiv {

struct WatchNotice {
    QString summary; // "Kiv Logs : « sexe » sur POSTE12 (eleve04)"
    QString body;    // the rewritten lines, the first few of them
};

// What the watch found and has not told yet, added up batch after batch:
// nothing found is lost from the count, however many batches a notice covers.
struct WatchFinds {
    int count = 0;
    QString first;     // the first line's "« sexe » sur POSTE12 (eleve04)"
    QStringList lines; // the first few lines, rewritten
    void Add(const WatchFinds& more);
};

// What a batch of results holds, words as the list writes them.
WatchFinds FindsOf(std::span<const KeywordSearchResult> batch, const TextList& words);
// The notice of what was found; countOnly: the count alone, no line, word,
// computer or pupil.
WatchNotice NoticeOf(const WatchFinds& finds, bool countOnly);
// The notice of one batch, naming.
WatchNotice MakeWatchNotice(std::span<const KeywordSearchResult> batch, const TextList& words);

// Shows it through the desktop's notification service (freedesktop
// notifications over D-Bus) where there is one, else as a message of a tray
// icon that parent owns; without either, nothing is shown.
void ShowWatchNotice(const WatchNotice& notice, QObject* parent);

} // namespace kiv
