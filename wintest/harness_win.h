// Helpers for the Windows test suite, which runs in-process under Wine (or
// natively on Windows) and drives the program's real windows.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "app/app_win.h"
#include "store/library_fixture.h"
#include "tools/testing/temp_dir.h"

namespace lw::wintest {

struct BoxRecord {
  std::wstring text;
  std::wstring caption;
  UINT type = 0;
  bool owned = false;  // had an owner window
};

// Processes pending messages for about `ms` milliseconds.
void Pump(int ms = 0);

// Pumps until `done` is true or `ms` pass; returns done's final value.
template <class F>
bool PumpUntil(F done, int ms = 5000) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > static_cast<DWORD>(ms)) return done();
    Pump(10);
  }
  return true;
}

// Sends keys as a user would type them (through SendInput on another
// thread, so accelerators and the focus see real input), pumping meanwhile.
// `keys` are virtual-key codes; VK_CONTROL, VK_SHIFT and VK_MENU in the list
// are held down until the end.
void PressKeys(const std::vector<WORD>& keys);

// The labels of a tree view, depth first, indented by two spaces a level.
std::vector<std::wstring> TreeLabels(HWND tree);

// Selects the first file of the open library through the tree control, as
// a click would; false when there is none.
bool SelectFirstFile();
// A drop as the shell delivers it: a DROPFILES block with wide paths (the
// receiver's DragFinish frees it).
HDROP MakeDrop(POINT pt, const std::vector<std::wstring>& paths);
// Selects node `id` in the tree, lets its page load and gives the primary
// pane the focus; false when the tree does not show the node.
bool ShowNode(int id);

// The plain text of an edit or rich-edit control.
std::wstring WindowText(HWND hwnd);

// Saves a PNG of `hwnd` as it is on screen, in the screenshot folder
// (LW_SCREENSHOT_DIR as a Unix path under Wine). Returns false when no
// picture could be taken.
bool SaveScreenshot(HWND hwnd, const std::string& name);

// A test of the running application: its own temporary folder for settings
// and libraries, every message box recorded and answered from a script.
// A box nobody scripted fails the test with its text instead of hanging.
//
// One box is expected rather than scripted: "!midiOutOpen", which start-up
// shows when the system has no MIDI output (always so under Wine). While
// Start runs, one such box is accepted with OK and kept apart from Boxes()
// (see MidiBox); a second one, or one at any other time, is unexpected.
class AppTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the application with settings in the test's folder. Returns the
  // start-up result (0, or the exit code start-up asked for).
  int Start(StartOptions options = StartOptions());
  // Writes `rows` as the library `name` in the test's folder and starts with
  // it open.
  int StartWithLibrary(const std::string& name, const std::vector<lw::testing::Row>& rows);
  // Sends WM_CLOSE and runs the loop until WM_QUIT; returns its exit code, or
  // -1 when the window stayed open.
  int Close();

  // Scripts the answer of the next message box.
  void AnswerNextBox(int button);
  const std::vector<BoxRecord>& Boxes() const;
  // The "!midiOutOpen" box of the last Start, or null when the MIDI output
  // opened.
  const BoxRecord* MidiBox() const;

  std::wstring Path(const std::string& utf8_name) const;
  const lw::testing::TempDir& dir() const { return dir_; }

  bool running_ = false;

 private:
  lw::testing::TempDir dir_;
};

}  // namespace lw::wintest
