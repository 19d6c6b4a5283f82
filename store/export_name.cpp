#include "store/export_name.h"

#include "store/title.h"

namespace lw {

std::u16string ExportFileName(std::u16string_view title) {
  std::u16string name = FavouriteLabel(title);
  for (char16_t& c : name) {
    if (std::u16string_view(u"|?:/\\<>*\" ").find(c) != std::u16string_view::npos) c = u'_';
  }
  return name;
}

}  // namespace lw
