// The command table and its preconditions.
#include "app/commands.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <string>

namespace lw {
namespace {

TEST(CommandTable, EveryIdAppearsOnceAndEveryRoutineIsReachable) {
  std::set<int> ids;
  std::set<Routine> routines;
  for (const CommandSpec& c : CommandTable()) {
    EXPECT_TRUE(ids.insert(c.id).second) << "id " << c.id << " twice";
    routines.insert(c.routine);
  }
  for (int r = 0; r < static_cast<int>(Routine::kCount); ++r)
    EXPECT_TRUE(routines.count(static_cast<Routine>(r))) << RoutineName(static_cast<Routine>(r));
}

// The attachment range ends where the tree menu begins; gaps and ids of no
// row are unknown and ignored.
TEST(CommandTable, AttachmentRangeDoesNotSwallowTheTreeMenuAndUnknownIdsAreIgnored) {
  ASSERT_TRUE(FindCommand(6660));
  EXPECT_EQ(FindCommand(6661)->routine, Routine::kAttachment);
  EXPECT_EQ(FindCommand(8799)->routine, Routine::kAttachment);
  EXPECT_EQ(FindCommand(kCmdNodeDelete)->routine, Routine::kDeleteNode);
  EXPECT_EQ(FindCommand(kCmdNewFile)->routine, Routine::kNewNode);
  for (int id : {0, 1, 19, 33, 55, 96, 6603, 7706, 8800, 9900, 9913, 12345, -1}) {
    EXPECT_EQ(FindCommand(id), nullptr) << id;
    EXPECT_EQ(Decide(id, ShellState{}).verdict, Verdict::kUnknown) << id;
  }
}

#ifdef LOREWELL_SOURCE_DIR
// menus.rc writes the ids as numbers: every accelerator and menu item must be
// a row of the table, and every row but the password button (a window of the
// strip) and the attachment items (added at run time) must be used there.
TEST(CommandTable, AgreesWithTheResourceScript) {
  std::ifstream rc(LOREWELL_SOURCE_DIR "/res/menus.rc");
  ASSERT_TRUE(rc);
  const std::regex item(R"re(^\s*(MENUITEM\s+"[^"]*"|VK_\w+|"[^"]*"),\s*(\d+))re");
  std::set<int> used;
  for (std::string line; std::getline(rc, line);) {
    std::smatch m;
    if (std::regex_search(line, m, item)) used.insert(std::stoi(m[2]));
  }
  for (int id : used) EXPECT_TRUE(FindCommand(id)) << id;
  for (const CommandSpec& c : CommandTable()) {
    if (c.id == kCmdPasswordButton || c.id == kCmdAttachmentFirst) continue;
    EXPECT_TRUE(used.count(c.id)) << c.id;
  }
}
#endif

TEST(Preconditions, RefusalsCarryTheirMessage) {
  ShellState idleNoNode;
  DispatchDecision d = Decide(kCmdReadingMode, idleNoNode);
  EXPECT_EQ(d.verdict, Verdict::kRefused);
  EXPECT_EQ(d.message, 42);
  ShellState busyWithNode;
  busyWithNode.busy = true;
  busyWithNode.nodeSelected = true;
  EXPECT_EQ(Decide(kCmdReadingMode, busyWithNode).message, 42);
  EXPECT_EQ(Decide(kCmdNotesPalette, ShellState{}).message, 34);
  // Bold on a read-only page, or with the tree focused, is refused silently.
  ShellState readOnly{false, true, true, true, false};
  d = Decide(kCmdBold, readOnly);
  EXPECT_EQ(d.verdict, Verdict::kRefused);
  EXPECT_EQ(d.message, 0);
  readOnly.pageEditable = true;
  EXPECT_EQ(Decide(kCmdBold, readOnly).verdict, Verdict::kRun);
  ShellState busy;
  busy.busy = true;
  EXPECT_EQ(Decide(kCmdNewLibrary, busy).verdict, Verdict::kRefused);
  EXPECT_EQ(Decide(kCmdMinimize, busy).verdict, Verdict::kRun) << "minimise works while busy";
  EXPECT_EQ(Decide(kCmdVacuum, ShellState{}).verdict, Verdict::kRefused) << "vacuum needs a library";
}

}  // namespace
}  // namespace lw
