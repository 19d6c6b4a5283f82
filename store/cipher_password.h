// The password box and the re-key worker as data: what the window layer
// shows, decided here, shown there.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "store/db.h"

namespace lw {

// --- The password box ---------------------------------------------------------------

enum class PasswordLabel { kPassword, kEncrypting, kDecrypting };
// "Password", "Encryption...", "Decryption..." (Romanian "Parolă",
// "Criptare...", "Decriptare...").
std::u16string_view PasswordLabelText(PasswordLabel label, bool romanian);

// The indicator beside the edit, checked at every key release.
struct PasswordValidity {
  bool valid;
  int icon;  // 4 valid, 5 invalid
  std::u16string_view tooltip;
};
PasswordValidity CheckTypedPassword(std::u16string_view typed, bool romanian);

// What confirming the box does.
enum class PasswordConfirm {
  kStay,         // 1 to 3 characters: nothing changes, the box stays
  kOpenPending,  // open the library waiting for its password, with this one
  kRekey,        // start the re-key worker (the label says which way)
  kHide,         // nothing to do: hide the box
};
// `typed` is the edit's text, `previous` the password in use when the box
// was shown. Passwords compare by the characters that are used (19 at most).
PasswordConfirm ConfirmPassword(std::u16string_view typed, std::u16string_view previous,
                                bool decryption_pending, bool library_open);

// --- The tree ---------------------------------------------------------------------

struct Rgb {
  uint8_t r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};
// Pale while the open library is enciphered, white otherwise.
Rgb TreeBackground(bool encrypted);

// --- The re-key worker ------------------------------------------------------------

// What the window layer shows while the worker runs and once it ends.
struct RekeyView {
  bool busy = false;       // internal process running
  bool encrypted = false;  // the open library is enciphered: the tree is pale
  PasswordLabel label = PasswordLabel::kPassword;
  bool box_shown = true;  // the password box; hidden when the worker ends
};

struct RekeyOutcome {
  bool rekeyed = false;     // the file now has the new password's key
  bool encrypted = false;   // what the encrypted flag becomes
  std::u16string password;  // what the password in use becomes
  bool library_open = false;
};

// The worker: shows the start view (busy, the label "Encryption..." or
// "Decryption..."), re-keys the library open in `db` at `path`, then shows
// the end view (label "Password", box hidden, tree tint, not busy). On
// failure the encrypted flag and the password in use stay as they were,
// since the file keeps its previous key. `show` runs on the worker's thread.
RekeyOutcome RunRekeyWorker(Db& db, const std::u16string& path, std::u16string_view old_password,
                            std::u16string_view new_password, bool encrypted_before,
                            const std::function<void(const RekeyView&)>& show);

}  // namespace lw
