// Playing a sound clip from memory through the waveaudio device and the
// program's file procedure, with the translucent player bar (position
// slider; Repeat, Play, Pause, Stop), and the "Atachments" submenu that
// lists the clips.
#pragma once

#include <windows.h>

#include <mmsystem.h>

#include <functional>
#include <string>

namespace lw {

// Window procedures of the player bar ("playW") and its buttons ("bplay").
LRESULT CALLBACK PlayerBarProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK PlayerButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// Makes the slider and the four buttons in the (hidden) bar and installs the
// file procedure of "MEY " clips; once at start-up.
void CreatePlayerBar(HWND bar);
// Closes every device and removes the file procedure; at the end.
void EndPlayer();
// The buttons' tooltips again, in the language now in force.
void RefreshPlayerLanguage();

// The "Atachments" submenu at position 1 of `app_menu`, filled with the
// library's clips as the menu opens. Its items stay below the tree menu's
// ids: past 1,039 clips a last, greyed item says how many more there are.
void FillClipMenu(HMENU app_menu);
// The clip the submenu's item `id` stood for when it was shown; empty when
// none.
std::u16string MenuClipName(int id);

// Plays the clip the name means ("play:" links and the menu); Stop.
void PlayClip(const std::u16string& name);
void StopClip();

// Timer 3: the slider follows the position and a pending jump is made.
void PlayerTick();

// Test seam: MCI command strings go here instead of mciSendStringW, with
// the answer the test gives (the reply text and the error code).
using MciSender = std::function<MCIERROR(const std::wstring& command, std::wstring* reply)>;
void SetMciSenderForTest(MciSender sender);

}  // namespace lw
