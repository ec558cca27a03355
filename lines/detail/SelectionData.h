#pragma once
// What a lines view puts on the clipboard and the X11 selection: data that
// becomes text only when another program asks for it, so that selecting or
// copying a year of results, or a giant line, never holds the window.

#include "lines/LinesEdit.h"

#include <QMimeData>
#include <QPointer>
#include <QStringList>

namespace kiv::detail {

// What is selected in a view, given to another program only when it asks
// for it through the X11 selection.
class LiveSelection : public QMimeData {
public:
    explicit LiveSelection(const LinesEdit* edit);
    // The selection now runs between these positions.
    void Follow(TextPos from, TextPos to);
    QStringList formats() const override;
    bool hasFormat(const QString& mime) const override;

protected:
    QVariant retrieveData(const QString& mime, QMetaType type) const override;

private:
    QPointer<const LinesEdit> edit_;
    TextPos from_;
    TextPos to_;
};

// A selection copied to the clipboard from a copy of the view's lines
// (which shares their characters), made into data of its formats when a
// program first asks for it.
class CopiedSelection : public QMimeData {
public:
    CopiedSelection(const LineStore& store, TextPos from, TextPos to, LinesEdit::MimeMaker make,
                    QStringList formats);
    QStringList formats() const override { return formats_; }
    bool hasFormat(const QString& mime) const override { return formats_.contains(mime); }

protected:
    QVariant retrieveData(const QString& mime, QMetaType type) const override;

private:
    mutable LineStore store_;
    TextPos from_;
    TextPos to_;
    mutable LinesEdit::MimeMaker make_;
    QStringList formats_;
    mutable QMimeData made_;
};

} // namespace kiv::detail
