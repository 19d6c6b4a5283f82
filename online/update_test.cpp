#include "online/update.h"

#include <gtest/gtest.h>

#include <string>

#include "version.h"

namespace lw {
namespace {

std::string Narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }

TEST(UpdateReply, OnlyA200WhoseFirstByteIsZeroOrOneIsAnAnswer) {
  const UpdateAnswer latest = UpdateAnswer::kLatest, newer = UpdateAnswer::kNewer, none = UpdateAnswer::kUnreachable;
  const struct {
    int status;
    std::string body;
    UpdateAnswer answer;
  } cases[] = {
      {200, "0", latest}, {200, "01", latest}, {200, "1abc", newer}, {200, "10", newer},
      {200, "", none},    {200, "x", none},    {200, " 0", none},    {200, "2", none},
      // An error page of the host, however it starts, is no answer.
      {404, "0", none},   {500, "1", none},    {302, "1", none},     {0, "", none},
  };
  for (const auto& c : cases)
    EXPECT_EQ(InterpretUpdateReply(c.status, c.body), c.answer) << c.status << " '" << c.body << "'";
}

TEST(UpdateRequest, AFormPostToAnAbsolutePathNamingTheVersion) {
  const UpdateRequest r = MakeUpdateRequest();
  // Version 4.0 is "40" in the path and the body.
  const std::string version = std::to_string(LW_VERSION_MAJOR) + std::to_string(LW_VERSION_MINOR);
  EXPECT_EQ(Narrow(r.verb), "POST");
  EXPECT_EQ(Narrow(r.path), "/lorew/login" + version + ".php");  // a path without "/" is no target
  EXPECT_EQ(Narrow(r.agent), "Lorewell/" LW_VERSION_SHORT);
  EXPECT_EQ(Narrow(r.headers), "content-type: application/x-www-form-urlencoded");
  EXPECT_EQ(r.body, "pa=k7rm4q&op=update&vers=" + version);
}

TEST(SiteAddresses, PagesByLanguageAndAnEncodedMailSubject) {
  const std::string root = "http://www.lorewell.ro/";
  const struct {
    int language;
    std::string help, feedback;
  } cases[] = {
      {409, "?lorewell4_help", "?lorewellfb"},
      {418, "?lorewell4_ajutor", "?lorewell418fb"},
      {0, "?lorewell4_help", "?lorewellfb"},  // a damaged language word: English
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Narrow(HelpUrl(c.language)), root + c.help) << c.language;
    EXPECT_EQ(Narrow(FeedbackUrl(c.language)), root + c.feedback) << c.language;
  }
  EXPECT_EQ(Narrow(ProductPageUrl()), root + "?lorewell");
  EXPECT_EQ(Narrow(FeedbackMailto()), "mailto:feedback@lorewell.ro?subject=Feedback%20Lorewell%20" LW_VERSION_SHORT);
}

TEST(PercentEncode, KeepsOnlyUnreservedBytes) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"Az09-._~", "Az09-._~"},
      {"a b", "a%20b"},
      {"a&b=c?d#e/f+g%", "a%26b%3Dc%3Fd%23e%2Ff%2Bg%25"},
      {"\xC8\x99", "%C8%99"},  // "ș": each UTF-8 byte, upper-case hex
      {std::string("\0\n", 2), "%00%0A"},
  };
  for (const auto& c : cases) EXPECT_EQ(PercentEncode(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace lw
