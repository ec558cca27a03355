#pragma once
// The room table's layout drawn on a printer (or a PDF). Page units of 0.1 mm
// are turned into the device's pixels here; fonts are measured at the
// device's own resolution, so that the page count found by measuring alone
// is the page count that the drawing gives.

#include "table/GridPrintLayout.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPen>

#include <array>
#include <atomic>
#include <vector>

class QPagedPaintDevice;
class QPainter;

namespace kiv {

class QtPrintSurface : public PrintSurface {
public:
    // Measures on device; draws through painter, which must be painting on
    // device, when one is given. The job is called off when cancel turns
    // true.
    explicit QtPrintSurface(QPagedPaintDevice& device, QPainter* painter = nullptr,
                            const std::atomic<bool>* cancel = nullptr);

    // The printable area of the device's page in page units.
    PageExtent Page() const;

    void SetFont(const PrintFont& font) override;
    int TextWidth(std::string_view line) override;
    int TextHeight(std::string_view line) override;
    void FillBox(const PageRect& box) override;
    void DrawTextLine(int x, int top, const PageRect& clip, std::string_view line) override;
    void DrawLine(PagePoint from, PagePoint to, int width) override;
    void NewPage() override;
    bool Cancelled() const override { return cancel_ && cancel_->load(); }

private:
    struct LoadedFont {
        PrintFont asked;
        QFont font;
        QFontMetricsF metrics;
        // The advance of each Windows-1252 byte, in device pixels.
        std::array<qreal, 256> advances;
        // A line's height and the baseline's distance from its top, in
        // device pixels, as Windows measures the font.
        qreal height;
        qreal ascent;
    };

    QRectF DeviceRect(const PageRect& rect) const;
    const LoadedFont& Current() const { return fonts_[current_]; }

    QPagedPaintDevice& device_;
    QPainter* painter_;
    const std::atomic<bool>* cancel_;
    double pixelsPerUnitX_;
    double pixelsPerUnitY_;
    // A cell asks for its font again and again: each font is made once.
    std::vector<LoadedFont> fonts_;
    std::size_t current_ = 0;
    int painterFont_ = -1;
    QRectF painterClip_;
};

} // namespace kiv
