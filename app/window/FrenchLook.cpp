#include "app/window/FrenchLook.h"

#include "grid/GridFonts.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <clocale>
#include <optional>

namespace kiv {
namespace {

// LC_TIME as the user had it, while AskFrenchSystemDates holds it.
std::optional<std::optional<QByteArray>> userTimeLocale;

} // namespace

void AskFrenchSystemDates()
{
    if (!qEnvironmentVariableIsEmpty("LC_ALL"))
        return;
    userTimeLocale = qEnvironmentVariableIsSet("LC_TIME") ? std::optional(qgetenv("LC_TIME")) : std::nullopt;
    qputenv("LC_TIME", "fr_FR.UTF-8");
}

void UseFrenchLook(QApplication& app)
{
    RegisterWindowFonts();
    if (userTimeLocale) {
        (void)QLocale::system(); // Qt reads the environment's locales once, now
        if (*userTimeLocale)
            qputenv("LC_TIME", **userTimeLocale);
        else
            qunsetenv("LC_TIME");
        userTimeLocale.reset();
        // The C library took the French dates too, or, where that locale is
        // not installed, nothing at all: what the user set comes back.
        std::setlocale(LC_ALL, "");
    }
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::French, QLocale::France), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace kiv
