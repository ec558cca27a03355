#include "app/window/WatchNotice.h"

#include "logscan/ResultFields.h"
#include "qtext/QtCp1252.h"

#include <QApplication>
#include <QStringList>
#include <QSystemTrayIcon>

#ifdef KIV_HAVE_QTDBUS
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QVariantMap>
#endif

namespace kiv {
namespace {

// A notice is read at a glance: a handful of lines, the rest is in the window.
constexpr std::size_t kLinesInNotice = 5;

#ifdef KIV_HAVE_QTDBUS
bool NotifyOverDBus(const WatchNotice& notice)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()
        || !bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.Notifications")))
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    // Servers may read the body as markup: text from the logs is escaped so
    // that a crafted address shows as it was typed.
    call << QStringLiteral("Kiv Logs") << 0u << QStringLiteral("dialog-warning") << notice.summary
         << notice.body.toHtmlEscaped() << QStringList() << QVariantMap() << -1;
    // Not waited for: the window goes on appending while the desktop shows it.
    bus.asyncCall(call);
    return true;
}
#endif

} // namespace

void WatchFinds::Add(const WatchFinds& more)
{
    if (count == 0)
        first = more.first;
    count += more.count;
    for (const QString& line : more.lines)
        if (lines.size() < static_cast<qsizetype>(kLinesInNotice))
            lines << line;
}

WatchFinds FindsOf(std::span<const KeywordSearchResult> batch, const TextList& words)
{
    WatchFinds finds;
    finds.count = static_cast<int>(batch.size());
    if (batch.empty())
        return finds;
    const KeywordSearchResult& result = batch.front();
    finds.first = QStringLiteral("\u00AB %1 \u00BB sur %2 (%3)")
                      .arg(FromCp1252(words[result.wordIndex]), FromCp1252(ComputerField(result.line)),
                           FromCp1252(PupilField(result.line)));
    for (std::size_t i = 0; i < batch.size() && i < kLinesInNotice; ++i)
        finds.lines << FromCp1252(batch[i].line);
    return finds;
}

WatchNotice NoticeOf(const WatchFinds& finds, bool countOnly)
{
    WatchNotice notice;
    if (finds.count == 0)
        return notice;
    if (countOnly) {
        notice.summary = finds.count == 1 ? QStringLiteral("Kiv Logs : 1 ligne avec un mot surveill\u00E9")
                                          : QStringLiteral("Kiv Logs : %1 lignes avec un mot surveill\u00E9").arg(finds.count);
        notice.body = QStringLiteral("Les lignes sont dans la fen\u00EAtre de Kiv Logs.");
        return notice;
    }
    notice.summary = finds.count == 1 ? QStringLiteral("Kiv Logs : ") + finds.first
                                      : QStringLiteral("Kiv Logs : %1 lignes avec un mot surveill\u00E9").arg(finds.count);
    QStringList lines = finds.lines;
    if (finds.count > lines.size())
        lines << QStringLiteral("\u2026");
    notice.body = lines.join(QLatin1Char('\n'));
    return notice;
}

WatchNotice MakeWatchNotice(std::span<const KeywordSearchResult> batch, const TextList& words)
{
    return NoticeOf(FindsOf(batch, words), false);
}

void ShowWatchNotice(const WatchNotice& notice, QObject* parent)
{
#ifdef KIV_HAVE_QTDBUS
    if (NotifyOverDBus(notice))
        return;
#endif
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    auto* tray = parent->findChild<QSystemTrayIcon*>(QStringLiteral("WatchNoticeTray"));
    if (!tray) {
        tray = new QSystemTrayIcon(QApplication::windowIcon(), parent);
        tray->setObjectName(QStringLiteral("WatchNoticeTray"));
        tray->setToolTip(QStringLiteral("Kiv Logs"));
        tray->show();
    }
    tray->showMessage(notice.summary, notice.body, QSystemTrayIcon::Warning);
}

} // namespace kiv
