#include "online/update.h"

#include <initializer_list>
#include <string>
#include <utility>

#include "version.h"

namespace lw {

namespace {

// The site's key for the program's requests: it tells them from a browser's.
constexpr char kSiteKey[] = "k7rm4q";

std::u16string Ascii(std::string_view text) { return std::u16string(text.begin(), text.end()); }

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

// name=value pairs joined with "&", both sides encoded.
std::string FormFields(std::initializer_list<std::pair<std::string_view, std::string>> fields) {
  std::string out;
  for (const auto& [name, value] : fields) {
    if (!out.empty()) out += '&';
    out += PercentEncode(name) + '=' + PercentEncode(value);
  }
  return out;
}

}  // namespace

std::string PercentEncode(std::string_view utf8) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : utf8) {
    if (IsUnreserved(c)) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::u16string SiteRoot() { return u"http://" + std::u16string(kSiteHost) + u"/"; }

std::u16string HelpUrl(int language) {
  return SiteRoot() + (language == 418 ? u"?lorewell4_ajutor" : u"?lorewell4_help");
}

std::u16string FeedbackUrl(int language) {
  return SiteRoot() + (language == 418 ? u"?lorewell418fb" : u"?lorewellfb");
}

std::u16string ProductPageUrl() { return SiteRoot() + u"?lorewell"; }

std::u16string FeedbackMailto() {
  const std::string subject = "Feedback Lorewell " LW_VERSION_SHORT;
  return u"mailto:" + std::u16string(kFeedbackAddress) + u"?subject=" + Ascii(PercentEncode(subject));
}

UpdateRequest MakeUpdateRequest() {
  UpdateRequest r;
  r.agent = u"Lorewell/" LW_VERSION_SHORT;
  r.verb = u"POST";
  // The script's name carries the version it answers for, as the body does.
  r.path = u"/lorew/login" + Ascii(std::to_string(LW_VERSION_NUMBER)) + u".php";
  r.headers = u"content-type: application/x-www-form-urlencoded";
  r.body = FormFields({{"pa", kSiteKey}, {"op", "update"}, {"vers", std::to_string(LW_VERSION_NUMBER)}});
  return r;
}

UpdateAnswer InterpretUpdateReply(int status, std::string_view body) {
  if (status != 200 || body.empty()) return UpdateAnswer::kUnreachable;
  switch (body[0]) {
    case '0': return UpdateAnswer::kLatest;
    case '1': return UpdateAnswer::kNewer;
    default: return UpdateAnswer::kUnreachable;
  }
}

}  // namespace lw
