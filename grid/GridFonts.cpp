#include "grid/GridFonts.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>
#include <QPaintDevice>
#include <QPainter>
#include <QRawFont>

#include <cmath>

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

LineMetrics WindowsLineMetrics(const QFont& font, qreal emPixels)
{
    struct Figures {
        qreal winAscent = 0;
        qreal winDescent = 0;
        qreal unitsPerEm = 0;
    };
    // Read once per face: the screen asks for every cell it paints. The
    // printout runs on a thread of its own, hence a table per thread.
    thread_local QHash<QString, Figures> faces;
    const QString face = font.family() + (font.bold() ? QStringLiteral(":b") : QStringLiteral(":r"));
    auto found = faces.find(face);
    if (found == faces.end()) {
        Figures figures;
        QFont unhinted = font;
        unhinted.setPixelSize(64);
        const QRawFont raw = QRawFont::fromFont(unhinted);
        const QByteArray os2 = raw.isValid() ? raw.fontTable("OS/2") : QByteArray();
        if (os2.size() >= 78 && raw.unitsPerEm() > 0) {
            const auto word = [&os2](int at) {
                return (static_cast<uchar>(os2[at]) << 8) | static_cast<uchar>(os2[at + 1]);
            };
            figures = {qreal(word(74)), qreal(word(76)), raw.unitsPerEm()};
        }
        found = faces.insert(face, figures);
    }
    if (found->unitsPerEm <= 0) {
        const QFontMetricsF metrics(font);
        return {metrics.ascent(), metrics.height()};
    }
    const qreal ascent = std::round(emPixels * found->winAscent / found->unitsPerEm);
    const qreal descent = std::round(emPixels * found->winDescent / found->unitsPerEm);
    return {ascent, ascent + descent};
}

} // namespace kiv

namespace kiv {

void DrawEmboldened(QPainter& painter, const QFont& font, const std::function<void()>& draw)
{
    draw();
    if (!font.bold())
        return;
    const QPaintDevice* device = painter.device();
    const qreal dpi = device && device->logicalDpiY() > 0 ? device->logicalDpiY() : 96;
    const qreal em = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * dpi / 72;
    painter.save();
    painter.translate(em / 20, 0);
    draw();
    painter.restore();
}

} // namespace kiv
