// The library as the window holds it: the process's one NodeStore and
// TreeModel, the tree control that shows the model, the workers that own
// the library for a while, and the library's life cycle (new, open, close).
//
// Everything here runs on the user-interface thread unless it says
// otherwise. A worker is started with the busy claim and the tree view
// detached; when it ends, the view is attached again (rebuilt from the
// model) and its `done` step runs on the user-interface thread.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "store/node_store.h"
#include "store/transfer.h"
#include "store/tree_model.h"

namespace lw {

class TreeView;

NodeStore& Store();
TreeModel& Model();
// The tree control's view; nullptr before start-up made the tree.
TreeView* View();

// Made once the main window and the tree control exist; `memory` is what
// the settings remember of the last library, `password` the stored one.
void StartLibraryWindow(HWND main_window, HWND tree, const LibraryMemory& memory,
                        const std::u16string& password);
// Closes the library (pages saved) and drops the view; after the loop.
void EndLibraryWindow();

// --- Workers --------------------------------------------------------------------

// Messages the main window hands to OnLibraryMessage.
inline constexpr UINT kMsgWorkDone = WM_APP + 40;      // lParam: the job
inline constexpr UINT kMsgWorkProgress = WM_APP + 41;  // wParam: percent
inline constexpr UINT kMsgWorkReport = WM_APP + 42;    // lParam: a failure text

// True when `msg` was one of the messages above (and was handled).
bool OnLibraryMessage(UINT msg, WPARAM wp, LPARAM lp);

// Runs `work` on a thread of its own, holding `claim` (which must hold the
// busy flag). The tree view is detached meanwhile; `marquee` shows the
// strip's bar as busy without a count. `done` runs on the user-interface
// thread after the view is back. False (nothing started) when the claim is
// empty or no thread could be made.
// A worker that only reads the library (a search) leaves the tree view
// attached: the busy flag keeps every change out meanwhile.
enum class WorkerKind { kChanges, kReadsOnly };
bool RunWorker(WorkClaim claim, std::function<void(WorkClaim)> work, std::function<void()> done,
               bool marquee, WorkerKind kind = WorkerKind::kChanges);
// For a worker: moves the strip's bar to `percent` (shown at the first call,
// hidden when the worker ends).
ProgressSink WorkerProgress();
// Blocks until the running worker, if any, has ended and its done step ran
// (tests, and the end of the program).
void WaitForWorker();

// --- Pages ---------------------------------------------------------------------

// Shows what the main pane shows once a selection settled: a node's page,
// the information report, or nothing. (Pages are saved before anything
// reads or replaces the library with the editor's SaveModifiedPages.)
void ShowShownPage(const ShownPage& page);

// --- Life cycle ----------------------------------------------------------------


// New library: the save dialog, then an empty library at the chosen path.
void NewLibraryCommand();
// Open: the "lorew" folder with Ctrl held, otherwise the open dialog.
void OpenLibraryCommand();
// Opens `path` on the open worker (start-up, a drop, the password box).
// Refused quietly while a worker runs.
void OpenLibraryPath(const std::u16string& path);
// Closes the library; with the information page the main pane shows the
// report, without it the pane is emptied.
void CloseLibrary(bool information_page);

// The tree's tint, the path label and the window's text for the library
// open now (or none).
void ShowLibraryState();

// The message box of the window for a failure text of the store.
void ReportStoreError(const std::u16string& text);

// While one lives, the store's failure texts on the user-interface thread
// are kept for the caller to tell in words of its own, not shown.
class HeldStoreErrors {
 public:
  HeldStoreErrors();
  ~HeldStoreErrors();
  HeldStoreErrors(const HeldStoreErrors&) = delete;
  HeldStoreErrors& operator=(const HeldStoreErrors&) = delete;
  // The texts held, one a line.
  const std::u16string& text() const { return text_; }

 private:
  friend void ReportStoreError(const std::u16string& text);
  HeldStoreErrors* outer_;
  std::u16string text_;
};

// The password box's part in opening an enciphered library: asks for the
// password of the file waiting for it. Placed by the password box.
void SetPasswordPrompt(std::function<void()> prompt);

}  // namespace lw
