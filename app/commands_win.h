// The routines behind the command table, one small registry filled by each
// subsystem's commands file.
#pragma once

#include <functional>

#include "app/commands.h"

namespace lw {

using RoutineFn = void (*)(int id);

// The placeholder for a routine whose subsystem's work has not arrived yet.
// It is never called: a command that reaches it is reported as not built.
void RoutineNotBuilt(int id);

// Called by each subsystem's file to place its routines.
void SetRoutine(Routine routine, RoutineFn fn);

// What became of a command.
enum class CommandOutcome {
  kRan,       // its routine ran, or the dispatch probe took it
  kRefused,   // a precondition failed; its message, if it has one, was shown
  kUnknown,   // the table does not know the id
  kNotBuilt,  // no routine, or RoutineNotBuilt, is placed for it
};

// RunCommand (app/shell_win.h) with the whole answer. A command that is not
// built is also written to the debug output (OutputDebugStringA) with the
// name of its routine.
CommandOutcome DispatchCommand(int id);

void RegisterShellRoutines();
void RegisterStoreRoutines();
void RegisterEditorRoutines();
void RegisterMusicRoutines();
void RegisterExecRoutines();
void RegisterOnlineRoutines();

// Where each file dropped on the main window goes, one path a call in the
// shell's order; the editor places its file-insertion routine here.
using DropRoutineFn = void (*)(const wchar_t* path);
void SetDropRoutine(DropRoutineFn fn);
DropRoutineFn GetDropRoutine();

// Entry points of later subsystems that the main window calls directly.
void PlayerTick();                           // music: timer 3, player position
void NoteOff(int timer);                     // music: timers 4 and 5, end of a note

// Test seam: when set, every command the table knows is reported here with
// its routine, before the preconditions, instead of being run.
using DispatchProbe = std::function<void(int id, Routine routine)>;
void SetDispatchProbe(DispatchProbe probe);

}  // namespace lw
