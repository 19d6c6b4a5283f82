// A read-only snapshot of a library: the tree in display order and the pages,
// for showing a library before the editable tree exists.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lw {

struct ViewRow {
  int32_t id = 0;
  int level = 1;  // 1 folder, 2 book, 3 file
  std::u16string title;
};

// Folders, each followed by its books, each book by its files, every level in
// "ORDER BY i" order. Returns false with SQLite's text in `error` when the
// file cannot be read as a library.
bool ReadLibraryTree(const std::u16string& path, std::vector<ViewRow>* rows, std::u16string* error);

// The page of node `id` as RTF bytes (without the terminating zero); empty
// for a NULL or missing page.
std::string ReadLibraryPage(const std::u16string& path, int32_t id);

}  // namespace lw
