#include "editor/page_export_win.h"

#include "editor/pane_win.h"
#include "editor/rich_edit_win.h"
#include "store/library_win.h"
#include "store/page_store.h"
#include "store/page_text.h"

namespace lw {

bool WritePanePage(HWND pane, const std::u16string& path, std::string* error) {
  // A node's page was saved before the export, so its stored RTF is what
  // the control holds: the file is written from it exactly as lorewell-cli
  // writes one, without streaming megabytes out of the control.
  const int id = PaneNodeId(pane);
  if (id != 0 && !PaneModified(pane)) {
    std::optional<StoredPage> page;
    {
      // A page of megabytes spans a thousand database pages.
      MappedReading mapped(Store().db());
      page = ReadPage(Store(), Model(), id);
    }
    if (page && !page->is_null) return WritePageFile(path, page->rtf, Store().current_path(), error);
  }
  // Anything else on screen (the information report, a page never stored):
  // the control's own RTF or Unicode text.
  std::string bytes;
  const bool rtf = IsRtfFileName(path);
  if (!(rtf ? StreamOutRtf(pane, &bytes) : StreamOutUnicodeText(pane, &bytes))) {
    *error = "the page could not be read from the editor (out of memory)";
    return false;
  }
  return WritePageBytes(path, rtf ? bytes : TextPageFile(bytes), Store().current_path(), error);
}

}  // namespace lw
