#pragma once
// What a lines view keeps of its text laid out: Qt's layouts of the lines
// (and pieces of long lines) on screen, the widths of long lines, and from
// them where each character is drawn and which one lies at a point.
//
// A long line is laid out, drawn and hit-tested piece by piece, only the
// pieces on screen: a log written without line breaks makes a line of
// hundreds of millions of characters, far more than one layout can hold or
// shape in the time of a frame. Its pieces are placed by the sum of their
// characters' advances, measured a little at a time between the window's
// other work; until then each unmeasured piece is given an estimate.

#include "lines/LineDocument.h"

#include <QFont>
#include <QInputMethodEvent>
#include <QList>
#include <QString>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

class QTextLayout;

namespace kiv {

class LinesEditLayout {
public:
    // Pieces a long line is laid out in: a screen's width shows at most two.
    static constexpr qsizetype kPiece = 1024;

    // measureLater is called when pieces wait to be measured (MeasureSome).
    LinesEditLayout(const LineDocument& doc, std::function<void()> measureLater);
    ~LinesEditLayout();

    // Lays out anew in this font.
    void SetFont(const QFont& font);
    const QFont& Font() const noexcept { return font_; }

    // Text being composed in an input method: shown at the caret, inside
    // the caret's piece, what follows moved right by its length. cursor is
    // the caret's place inside it.
    void SetComposing(const QString& text, int cursor, QList<QInputMethodEvent::Attribute> formats);
    const QString& Composing() const noexcept { return composing_; }

    qsizetype PieceCount(qsizetype line) const;
    qsizetype PieceOf(TextPos pos) const;
    QTextLayout& LayoutOf(qsizetype line, qsizetype piece) const;
    // Where a column falls in its piece's layout, past the text being
    // composed at the caret (the caret itself inside it).
    int LayoutColumn(TextPos pos, bool caret) const;

    // Distances from the line's start: where a piece starts, where the line
    // ends, where a position is drawn; and back, the piece and the position
    // nearest a distance.
    double PieceX(qsizetype line, qsizetype piece) const;
    double LineWidth(qsizetype line) const;
    double XOf(TextPos pos) const;
    qsizetype PieceAtX(qsizetype line, double x) const;
    TextPos PosAtX(qsizetype line, double x) const;
    // The next or previous place for the caret, a character or a word away.
    TextPos NextCursorPos(TextPos pos, bool wordWise) const;
    TextPos PreviousCursorPos(TextPos pos, bool wordWise) const;

    // Whether the line's pieces have widths yet (a long line's may still be
    // estimates).
    bool HasWidths(qsizetype line) const { return widths_.count(line) != 0; }
    struct Measured {
        bool more = false;         // pieces still wait
        bool shownChanged = false; // a line in [firstShown, lastShown] moved
    };
    // Measures waiting pieces for at most budgetMs.
    Measured MeasureSome(qint64 budgetMs, qsizetype firstShown, qsizetype lastShown);

    // The widest line laid out or measured so far, at least.
    qreal Widest() const noexcept { return widest_; }
    void Widen(qreal width) const noexcept { widest_ = std::max(widest_, width); }

    // Layouts and widths of the line from pos on, and of the lines after
    // it too when lines came or went, no longer hold after an edit there;
    // the widest line may be gone with them.
    void ForgetLines(TextPos from, bool linesAfterToo);
    void ForgetAll();

private:
    struct LineWidths {
        // Where each measured piece starts, and where the last of them ends.
        std::vector<double> starts{0.0};
        // The width given to a piece not measured yet.
        double estimate = 0;
    };
    using LayoutKey = std::pair<qsizetype, qsizetype>; // line, piece

    const LineStore& Store() const noexcept { return doc_.Store(); }
    bool ComposingIn(qsizetype line, qsizetype piece) const;
    std::unique_ptr<QTextLayout> NewLayout(qsizetype line, qsizetype piece) const;
    void FormatPiece(QTextLayout& layout, qsizetype line, qsizetype from, qsizetype length) const;
    LineWidths& WidthsOf(qsizetype line) const;
    double MeasurePiece(qsizetype line, qsizetype piece) const;

    const LineDocument& doc_;
    std::function<void()> measureLater_;
    QFont font_;
    QString composing_;
    int composingCursor_ = 0;
    QList<QInputMethodEvent::Attribute> composingFormats_;

    mutable std::map<LayoutKey, std::unique_ptr<QTextLayout>> layouts_;
    mutable std::unordered_map<qsizetype, LineWidths> widths_;
    // Advance of each character below 256, plain and bold.
    mutable std::array<std::array<float, 256>, 2> advances_{};
    mutable bool advancesKnown_ = false;
    mutable qreal widest_ = 0;
};

} // namespace kiv
