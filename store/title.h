// Rules for node titles.
//
// Titles are written into SQL text between single quotes, so a stored title
// never holds an apostrophe or a double quote. Lengths are counted in UTF-16
// units, as the tree's label editor counts them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lw {

inline constexpr std::size_t kMaxTitleLength = 44;

// The title to store for text typed by the user: cut to kMaxTitleLength
// units (never between the two halves of a surrogate pair, so the cut may
// leave 43), each ' and " replaced by '_', one trailing space removed, and an
// empty result replaced by `default_title` (string 18: "New" / "Nou").
std::u16string CleanTitle(std::u16string_view typed, std::u16string_view default_title);

// A title ending in a backtick (U+0060) marks the node's page read-only.
bool IsReadOnlyTitle(std::u16string_view title);

// The label shown in the favourites list: the title without the trailing
// backtick of a read-only page.
std::u16string FavouriteLabel(std::u16string_view title);

}  // namespace lw
