#pragma once
// The desktop notice that a watched word was just typed: the staff may be
// teaching with the window behind others. One notice per batch of the watch,
// naming the word, the computer and the pupil, or the count when the batch
// holds several.

#include "jobs/KeywordSearchJob.h"
#include "logscan/TextList.h"

#include <QString>

#include <span>

class QObject;

namespace kiv {

struct WatchNotice {
    QString summary; // "Kiv Logs : « sexe » sur POSTE12 (eleve04)"
    QString body;    // the rewritten lines, the first few of them
};

// The notice of a batch of results, words as the list writes them.
WatchNotice MakeWatchNotice(std::span<const KeywordSearchResult> batch, const TextList& words);

// Shows it through the desktop's notification service (freedesktop
// notifications over D-Bus) where there is one, else as a message of a tray
// icon that parent owns; without either, nothing is shown.
void ShowWatchNotice(const WatchNotice& notice, QObject* parent);

} // namespace kiv
