#include "editor/page_export_win.h"

#include "editor/rich_edit_win.h"
#include "store/library_win.h"
#include "store/page_text.h"

namespace lw {

bool WritePanePage(HWND pane, const std::u16string& path, std::string* error) {
  std::string bytes;
  const bool rtf = IsRtfFileName(path);
  if (!(rtf ? StreamOutRtf(pane, &bytes) : StreamOutUnicodeText(pane, &bytes))) {
    *error = "the page could not be read from the editor (out of memory)";
    return false;
  }
  return WritePageBytes(path, rtf ? bytes : TextPageFile(bytes), Store().current_path(), error);
}

}  // namespace lw
