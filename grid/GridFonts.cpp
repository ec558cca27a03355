#include "GridFonts.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>

namespace kiv {

void RegisterWindowFonts()
{
    static bool done = false;
    if (done)
        return;
    done = true;

    if (!QFontDatabase::families().contains(kGridFontFamily, Qt::CaseInsensitive)) {
        for (const char* file : {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"}) {
            if (QFile::exists(QString::fromLatin1(file)))
                QFontDatabase::addApplicationFont(QString::fromLatin1(file));
        }
    }
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), kGridFontFamily);
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
}

} // namespace kiv
