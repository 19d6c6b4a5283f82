// Rows of a library's two tables, as the rest of the program sees them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lw {

// One row of `tab`: one node.
struct NodeRecord {
  int id = 0;      // see node_id.h
  int parent = 0;  // id of the parent; 0 for a folder
  int order = 0;   // position among the siblings, ascending
  std::u16string title;  // at most 44 units, never an apostrophe or double quote
  // The RTF document without its terminating zero byte: on disk the page is
  // these bytes followed by one zero byte (see Statement::BindPage).
  std::string page;
  // True when `r` is NULL (the page was never saved). A NULL page and an
  // empty one both show as an empty page.
  bool page_is_null = true;
};

// One row of `atach`: one WAV clip.
struct AttachmentRecord {
  std::u16string name;  // the clip's file name; unique in a library
  std::vector<std::uint8_t> data;  // the complete WAV file
};

// The name of the placeholder row that an attachment is first inserted as;
// no clip may take it.
inline constexpr char16_t kReservedAttachmentName[] = u"newnew";

}  // namespace lw
