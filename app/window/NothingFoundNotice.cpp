#include "app/window/NothingFoundNotice.h"

#include <QPoint>
#include <QToolTip>
#include <QWidget>

namespace kiv {

void ShowNothingFound(QWidget* resultsView)
{
    QToolTip::showText(resultsView->mapToGlobal(QPoint(8, 8)), QStringLiteral("Aucun résultat"), resultsView, {}, 4000);
}

} // namespace kiv
