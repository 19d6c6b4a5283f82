// A page leaving the program as a file: RTF, or text with its signature.
#pragma once

#include <windows.h>

#include <string>

namespace lw {

// Writes the page shown in `pane` as the file at `path`, exactly that path:
// its RTF when the name ends in ".rtf" or ".RTF", otherwise FF FE and its
// text in UTF-16. A node's page must be saved before: it is written from the
// library as lorewell-cli page writes it (the control's stream-out of a 5 MB
// page alone costs more than the whole export). The file is written beside the target and
// renamed over it, so on any failure an existing file stays as it was; the
// open library is never the target. False with the reason in `error`.
bool WritePanePage(HWND pane, const std::u16string& path, std::string* error);

}  // namespace lw
