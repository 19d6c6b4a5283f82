// The window half of the page's links: following a clicked link (EN_LINK
// from a pane) and making a footnote link from the selection (Scroll Lock).
// What a link means is decided by ClassifyLink (editor/link.h); this file
// carries the action out on the pane, the tree, the clipboard, the shell or
// the sibling application.
//
// Everything here runs on the user-interface thread.
#pragma once

#include <windows.h>

#include <richedit.h>

#include <string>

namespace lw {

// EN_LINK from the pane `pane`: a left-button release on a link, with
// nothing selected in the pane (a click, not the end of a drag), follows the
// link; every other mouse message goes on to the control. The link's text is
// read whole from the notification's range; a link longer than
// kMaxLinkLength is refused with a message.
LRESULT OnLinkNotify(HWND pane, const ENLINK& link);

// Runs the link whose text is `text` from the pane `pane`.
void FollowLink(HWND pane, const std::wstring& text);

// The command routine of Scroll Lock: the active pane's selection becomes a
// footnote link (refused quietly on a page that may not be changed).
void MakeFootnoteLink(int id);

// --- Clips ------------------------------------------------------------------------

// "play:" and "stop:" links hand their clip to the player of the library's
// sound clips, which places these handlers when it is set up. Until then
// those links do nothing.
using PlayClipHandler = void (*)(const std::wstring& name);
using StopClipsHandler = void (*)();
void SetClipLinkHandlers(PlayClipHandler play, StopClipsHandler stop);

// --- Test seam ----------------------------------------------------------------------

// What a followed link does outside the page, recorded instead of done.
struct LinkEffect {
  enum class Kind {
    kShell,      // ShellExecuteW: `verb` on `target`
    kSelectNode, // the tree selects `node`
    kClipboard,  // `target` put on the clipboard
    kSibling,    // `target` sent to the sibling application's window
    kPlay,       // clip `target` played
    kStop,       // the clips stopped
  };
  Kind kind;
  std::wstring verb;
  std::wstring target;
  int node = 0;
};
using LinkEffectSink = void (*)(const LinkEffect& effect);
// Null: links act for real.
void SetLinkEffectSinkForTest(LinkEffectSink sink);

}  // namespace lw
