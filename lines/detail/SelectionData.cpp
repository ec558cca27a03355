#include "lines/detail/SelectionData.h"

#include <algorithm>

namespace kiv::detail {

LiveSelection::LiveSelection(const LinesEdit* edit)
    : edit_(edit)
{
}

void LiveSelection::Follow(TextPos from, TextPos to)
{
    from_ = std::min(from, to);
    to_ = std::max(from, to);
}

QStringList LiveSelection::formats() const
{
    return {QStringLiteral("text/plain")};
}

bool LiveSelection::hasFormat(const QString& mime) const
{
    return mime == QLatin1String("text/plain");
}

QVariant LiveSelection::retrieveData(const QString& mime, QMetaType) const
{
    if (!edit_ || mime != QLatin1String("text/plain"))
        return {};
    return edit_->Store().PlainText(from_, to_);
}

CopiedSelection::CopiedSelection(const LineStore& store, TextPos from, TextPos to, LinesEdit::MimeMaker make,
                                 QStringList formats)
    : store_(store), from_(from), to_(to), make_(std::move(make)), formats_(std::move(formats))
{
}

QVariant CopiedSelection::retrieveData(const QString& mime, QMetaType) const
{
    if (!formats_.contains(mime))
        return {};
    if (make_) {
        make_(store_, from_, to_, made_);
        make_ = nullptr;
        store_ = LineStore(); // what was made is all that is needed now
    }
    if (mime == QLatin1String("text/plain"))
        return made_.text();
    if (mime == QLatin1String("text/html"))
        return made_.html();
    return made_.data(mime);
}

} // namespace kiv::detail
