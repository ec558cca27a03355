#include "ColumnHeaderList.h"

namespace kiv {

void ColumnHeaderList::LoadFromFile(const std::filesystem::path& path, std::string_view shownName)
{
    // Read first: a file that cannot be read must leave the headers alone.
    TextList loaded = LoadTextListFile(path, shownName);
    items_ = std::move(loaded);
    Changed();
}

void ColumnHeaderList::Assign(TextList items)
{
    items_ = std::move(items);
    Changed();
}

void ColumnHeaderList::Changed() const
{
    if (onChange_)
        onChange_();
}

} // namespace kiv
