#pragma once
// The list of time-slot headers that the occupation table owns. Whoever owns
// the list is told once after every completed change of its content, so that
// the header row follows it; a load that replaces the whole list is one
// change.

#include "TextList.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string_view>

namespace kiv {

class ColumnHeaderList {
public:
    using ChangeHandler = std::function<void()>;

    void SetOnChange(ChangeHandler handler) { onChange_ = std::move(handler); }

    // Replaces the entries by the lines of a list file ("kiv_heures.txt").
    // Throws KivError "Impossible d'ouvrir le fichier %s" with shownName when
    // the file cannot be read; the entries are then left as they were and no
    // change is reported.
    void LoadFromFile(const std::filesystem::path& path, std::string_view shownName);

    // Replaces the entries by a copy of items.
    void Assign(TextList items);

    const TextList& Items() const noexcept { return items_; }
    std::size_t Count() const noexcept { return items_.size(); }

private:
    void Changed() const;

    TextList items_;
    ChangeHandler onChange_;
};

} // namespace kiv
