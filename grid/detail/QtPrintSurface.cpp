#include "grid/detail/QtPrintSurface.h"

#include "grid/GridFonts.h"
#include "qtext/QtCp1252.h"

#include <QPagedPaintDevice>
#include <QPainter>

#include <cmath>
#include <cstdlib>

namespace kiv {

namespace {

// Page units per inch: tenths of a millimetre.
constexpr double kUnitsPerInch = 254.0;

QFont MakeFont(const PrintFont& asked)
{
    QFont font(QString::fromStdString(asked.family));
    // The height is the character height without internal leading, which is
    // what a font's point size measures.
    font.setPointSizeF(std::abs(asked.height) * 72.0 / kUnitsPerInch);
    font.setBold(asked.bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    // A line is as wide as its characters' advances together, as the
    // printer's text extents measure it: no kerning, which also lets a day's
    // hundreds of thousands of entries be measured from one table per font.
    font.setKerning(false);
    return font;
}

int ToUnits(double pixels, double pixelsPerUnit)
{
    return static_cast<int>(std::lround(pixels / pixelsPerUnit));
}

} // namespace

QtPrintSurface::QtPrintSurface(QPagedPaintDevice& device, QPainter* painter, const std::atomic<bool>* cancel)
    : device_(device),
      painter_(painter),
      cancel_(cancel),
      pixelsPerUnitX_(device.logicalDpiX() / kUnitsPerInch),
      pixelsPerUnitY_(device.logicalDpiY() / kUnitsPerInch)
{
    SetFont({kGridFontFamily.toStdString(), -35, false});
}

PageExtent QtPrintSurface::Page() const
{
    return {ToUnits(device_.width(), pixelsPerUnitX_), -ToUnits(device_.height(), pixelsPerUnitY_)};
}

void QtPrintSurface::SetFont(const PrintFont& font)
{
    for (std::size_t i = 0; i < fonts_.size(); ++i) {
        if (fonts_[i].asked == font) {
            current_ = i;
            return;
        }
    }
    const QFont made = MakeFont(font);
    LoadedFont loaded{font, made, QFontMetricsF(made, &device_), {}, 0, 0};
    const LineMetrics lines = WindowsLineMetrics(made, std::abs(font.height) * pixelsPerUnitY_);
    loaded.height = lines.height;
    loaded.ascent = lines.ascent;
    for (int byte = 0; byte < 256; ++byte) {
        const char c = static_cast<char>(byte);
        loaded.advances[byte] = loaded.metrics.horizontalAdvance(FromCp1252(std::string_view(&c, 1)));
    }
    fonts_.push_back(std::move(loaded));
    current_ = fonts_.size() - 1;
}

int QtPrintSurface::TextWidth(std::string_view line)
{
    const std::array<qreal, 256>& advances = Current().advances;
    qreal width = 0;
    for (const char c : line)
        width += advances[static_cast<unsigned char>(c)];
    return ToUnits(width, pixelsPerUnitX_);
}

// A line is as high as the font, whatever its characters.
int QtPrintSurface::TextHeight(std::string_view)
{
    return ToUnits(Current().height, pixelsPerUnitY_);
}

QRectF QtPrintSurface::DeviceRect(const PageRect& rect) const
{
    return QRectF(QPointF(rect.left * pixelsPerUnitX_, -rect.top * pixelsPerUnitY_),
                  QPointF(rect.right * pixelsPerUnitX_, -rect.bottom * pixelsPerUnitY_));
}

void QtPrintSurface::FillBox(const PageRect& box)
{
    if (!painter_)
        return;
    painter_->setClipping(false);
    painterClip_ = QRectF();
    painter_->fillRect(DeviceRect(box), Qt::white);
}

void QtPrintSurface::DrawTextLine(int x, int top, const PageRect& clip, std::string_view line)
{
    if (!painter_ || line.empty())
        return;
    // The lines of one cell share its box as their clip: set it once.
    const QRectF clipRect = DeviceRect(clip);
    if (clipRect != painterClip_) {
        painter_->setClipRect(clipRect);
        painterClip_ = clipRect;
    }
    if (painterFont_ != static_cast<int>(current_)) {
        painter_->setFont(Current().font);
        painterFont_ = static_cast<int>(current_);
    }
    painter_->setPen(Qt::black);
    const QPointF baseline(x * pixelsPerUnitX_, -top * pixelsPerUnitY_ + Current().ascent);
    const QString text = FromCp1252(line);
    DrawEmboldened(*painter_, Current().font, [&] { painter_->drawText(baseline, text); });
}

void QtPrintSurface::DrawLine(PagePoint from, PagePoint to, int width)
{
    if (!painter_)
        return;
    if (!painterClip_.isNull()) {
        painter_->setClipping(false);
        painterClip_ = QRectF();
    }
    painter_->setPen(QPen(Qt::black, width * pixelsPerUnitX_, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter_->drawLine(QPointF(from.x * pixelsPerUnitX_, -from.y * pixelsPerUnitY_),
                       QPointF(to.x * pixelsPerUnitX_, -to.y * pixelsPerUnitY_));
}

void QtPrintSurface::NewPage()
{
    device_.newPage();
    painterClip_ = QRectF();
    if (painter_)
        painter_->setClipping(false);
}

} // namespace kiv
