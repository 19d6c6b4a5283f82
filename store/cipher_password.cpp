#include "store/cipher_password.h"

#include "store/cipher_key.h"
#include "store/rekey.h"

namespace lw {

std::u16string_view PasswordLabelText(PasswordLabel label, bool romanian) {
  switch (label) {
    case PasswordLabel::kEncrypting:
      return romanian ? u"Criptare..." : u"Encryption...";
    case PasswordLabel::kDecrypting:
      return romanian ? u"Decriptare..." : u"Decryption...";
    case PasswordLabel::kPassword:
      break;
  }
  return romanian ? u"Parolă" : u"Password";
}

PasswordValidity CheckTypedPassword(std::u16string_view typed, bool romanian) {
  if (IsAcceptablePassword(typed)) {
    return {true, 4,
            romanian ? u"Parolă validă (0 sau minim 4 caractere)"
                     : u"Valid password (0 or minim 4 characters)"};
  }
  return {false, 5,
          romanian ? u"Parolă invalidă (1, 2 sau 3 caractere)"
                   : u"Invalid password (1, 2 or 3 characters)"};
}

PasswordConfirm ConfirmPassword(std::u16string_view typed, std::u16string_view previous,
                                bool decryption_pending, bool library_open) {
  if (!IsAcceptablePassword(typed)) return PasswordConfirm::kStay;
  if (decryption_pending) return PasswordConfirm::kOpenPending;
  if (library_open && UsedPassword(typed) != UsedPassword(previous)) return PasswordConfirm::kRekey;
  return PasswordConfirm::kHide;
}

Rgb TreeBackground(bool encrypted) { return encrypted ? Rgb{255, 250, 255} : Rgb{255, 255, 255}; }

RekeyOutcome RunRekeyWorker(Db& db, const std::u16string& path, std::u16string_view old_password,
                            std::u16string_view new_password, bool encrypted_before,
                            const std::function<void(const RekeyView&)>& show) {
  RekeyView view;
  view.busy = true;
  view.encrypted = encrypted_before;
  view.label = new_password.empty() ? PasswordLabel::kDecrypting : PasswordLabel::kEncrypting;
  view.box_shown = true;
  if (show) show(view);

  RekeyOutcome outcome;
  outcome.rekeyed = RekeyOpenLibrary(db, path, old_password, new_password);
  if (outcome.rekeyed) {
    outcome.password = std::u16string(UsedPassword(new_password));
    outcome.encrypted = !new_password.empty();
  } else {
    outcome.password = std::u16string(UsedPassword(old_password));
    outcome.encrypted = encrypted_before;
  }
  outcome.library_open = db.is_open();

  view.busy = false;
  view.encrypted = outcome.encrypted;
  view.label = PasswordLabel::kPassword;
  view.box_shown = false;
  if (show) show(view);
  return outcome;
}

}  // namespace lw
