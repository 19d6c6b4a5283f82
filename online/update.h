// The program's ties to its maker's site, as data: the addresses of the
// help, feedback and product pages, the feedback e-mail, the one update
// request and what its reply means. The window layer (online/*_win) only
// sends what is described here and shows what it answers.
//
// Portable: no Windows header; compiled into both builds and tested natively.
#pragma once

#include <string>
#include <string_view>

namespace lw {

// The maker's site. Every address the program opens or asks is on this host.
inline constexpr char16_t kSiteHost[] = u"www.lorewell.ro";
inline constexpr int kSitePort = 80;
inline constexpr char16_t kFeedbackAddress[] = u"feedback@lorewell.ro";

// "http://www.lorewell.ro/".
std::u16string SiteRoot();
// The help and feedback pages of the interface language (418 Romanian,
// anything else English).
std::u16string HelpUrl(int language);
std::u16string FeedbackUrl(int language);
// The product page, where a new version is downloaded.
std::u16string ProductPageUrl();
// "mailto:" the feedback address, with the subject "Feedback Lorewell 4.0"
// (the short version) encoded.
std::u16string FeedbackMailto();

// `utf8` with each byte outside the unreserved set (letters, digits, "-",
// ".", "_", "~") written as %XX: safe in a query, a form body and a mailto.
std::string PercentEncode(std::string_view utf8);

// The update check's one HTTP request.
struct UpdateRequest {
  std::u16string agent;    // "Lorewell/4.0"
  std::u16string verb;     // "POST"
  std::u16string path;     // "/lorew/login40.php"
  std::u16string headers;  // the content type, one header line
  std::string body;        // the form fields, URL-encoded
};
UpdateRequest MakeUpdateRequest();

// What a reply says. Only the body's first byte counts: '0' the program is
// the latest, '1' a newer version exists. Any status but 200, an empty body
// or another byte means the server could not tell, as does no reply.
enum class UpdateAnswer { kLatest, kNewer, kUnreachable };
UpdateAnswer InterpretUpdateReply(int status, std::string_view body);

}  // namespace lw
