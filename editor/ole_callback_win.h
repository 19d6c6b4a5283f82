// The rich-edit controls' one OLE callback, shared by every page pane. It
// keeps the control from storing OLE objects of its own and from inserting
// what is dragged in from another program: files dropped on a page go
// through the program's own drop routine (editor/drop_win.h) instead.
#pragma once

#include <windows.h>

#include <richole.h>

namespace lw {

// The shared callback. It is a static object: no reference counting, no
// interfaces but its own.
IRichEditOleCallback* PageOleCallback();

// Gives `pane` the shared callback (each page is shown by a fresh control).
void AttachOleCallback(HWND pane);

}  // namespace lw
