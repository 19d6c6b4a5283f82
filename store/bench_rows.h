// Writing rows straight into `tab`, for the benchmarks that build their own
// libraries.
#pragma once

#include <string_view>

#include "store/db.h"

namespace lw {

// Inserts one node row with `title` and `page` (stored as a page is).
inline void InsertBenchRow(Db& db, int id, int parent, int order, std::u16string_view title,
                           std::string_view page) {
  Statement st = db.Prepare(u"INSERT INTO tab VALUES (?, ?, ?, ?, ?)");
  st.BindInt(1, id);
  st.BindInt(2, parent);
  st.BindInt(3, order);
  st.BindText16(4, title);
  st.BindPage(5, page);
  st.Run();
}

}  // namespace lw
