// A page leaving the program as a file: RTF, or text with its signature.
#pragma once

#include <windows.h>

#include <string>

namespace lw {

// Writes the page shown in `pane` as the file at `path`, exactly that path:
// the control's RTF when the name ends in ".rtf" or ".RTF", otherwise FF FE
// and the control's Unicode text. The file is written beside the target and
// renamed over it, so on any failure an existing file stays as it was; the
// open library is never the target. False with the reason in `error`.
bool WritePanePage(HWND pane, const std::u16string& path, std::string* error);

}  // namespace lw
