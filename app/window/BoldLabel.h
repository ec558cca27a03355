#pragma once
// A label whose bold text looks bold: the Tahoma Bold that Debian ships
// strokes barely heavier than the regular face, so the text is emboldened as
// the room table's headers are.

#include <QLabel>

namespace kiv {

class BoldLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace kiv
