// Help and Feedback (F1, the menu's items): the maker's pages of the
// interface language, opened in the user's browser; and the one way this
// subsystem opens any address with the shell.
#pragma once

#include <string>

namespace lw {

void HelpRoutine(int id);
void FeedbackRoutine(int id);

// ShellExecuteW "open" on `url` (a page, or a "mailto:" for the mail
// program), owned by the main window.
void OpenInShell(const std::wstring& url);

// Test seam: when set, addresses go here instead of to the shell.
using ShellOpenSink = void (*)(const std::wstring& url);
void SetShellOpenSinkForTest(ShellOpenSink sink);

}  // namespace lw
