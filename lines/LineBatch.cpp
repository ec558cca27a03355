#include "lines/LineBatch.h"

#include "qtext/QtCp1252.h"

#include <algorithm>
#include <cstring>

namespace kiv {

using detail::LineRecord;
using detail::Narrowed;

void LineBatch::Reserve(std::size_t lines, std::size_t bytes)
{
    lines_.reserve(lines);
    if (bytes > bytes_.capacity)
        Grow(bytes - bytes_.size);
}

char* LineBatch::Grow(std::size_t bytes)
{
    if (bytes_.size + bytes > bytes_.capacity) {
        detail::Block grown = detail::Block::WithCapacity(
            std::max({bytes_.capacity * 2, bytes_.size + bytes, std::size_t{4096}}));
        if (bytes_.size > 0)
            std::memcpy(grown.bytes.get(), bytes_.bytes.get(), bytes_.size);
        grown.size = bytes_.size;
        bytes_ = std::move(grown);
    }
    return bytes_.bytes.get() + bytes_.size;
}

void LineBatch::Add(std::string_view cp1252, BoldSpan bold)
{
    char* out = Grow(cp1252.size());
    LineRecord record;
    record.start = Narrowed(static_cast<qsizetype>(bytes_.size));
    record.length = Narrowed(static_cast<qsizetype>(cp1252.size()));
    if (!cp1252.empty())
        std::memcpy(out, cp1252.data(), cp1252.size());
    bytes_.size += cp1252.size();
    if (bold.length > 0) {
        record.boldStart = Narrowed(bold.start);
        record.boldLength = Narrowed(bold.length);
    }
    lines_.push_back(record);
}

void LineBatch::Add(const QString& text, const BoldSpans& bold)
{
    LineRecord record;
    record.length = Narrowed(text.size());
    if (FitsCp1252(text)) {
        EncodeCp1252(text, Grow(static_cast<std::size_t>(text.size())));
        record.start = Narrowed(static_cast<qsizetype>(bytes_.size));
        bytes_.size += static_cast<std::size_t>(text.size());
    } else {
        record.where = LineRecord::kWide | Narrowed(static_cast<qsizetype>(wide_.size()));
        wide_.push_back(text);
    }
    SetBold(record, bold);
    lines_.push_back(record);
}

// One stretch sits in the record; several go to a list of the batch.
void LineBatch::SetBold(LineRecord& record, const BoldSpans& bold)
{
    if (bold.size() == 1 && bold.front().length > 0) {
        record.boldStart = Narrowed(bold.front().start);
        record.boldLength = Narrowed(bold.front().length);
    } else if (bold.size() > 1) {
        record.where |= LineRecord::kManyBold;
        record.boldStart = Narrowed(static_cast<qsizetype>(boldLists_.size()));
        boldLists_.push_back(bold);
    }
}

} // namespace kiv
