#include "editor/drop.h"

#include <algorithm>
#include <initializer_list>

namespace lw {

namespace {

using List = std::initializer_list<std::u16string_view>;

// Exactly the spellings Lorewell has always taken; a few appear in lower
// case only.
constexpr List kShortcuts = {u".lnk", u".LNK"};
constexpr List kLibraries = {u".db", u".IDB"};
constexpr List kSounds = {u".wav", u".WAV"};
constexpr List kPictures = {
    u".bmp", u".BMP", u".gif", u".GIF", u".jpeg", u".JPEG", u".jpg", u".JPG", u".jpe", u".JPE",
    u".jfif", u".JFIF", u".png", u".PNG", u".tiff", u".TIFF", u".tif", u".TIF", u".ico", u".ICO",
    u".exif", u".EXIF", u".wmf", u".WMF", u".emf", u".EMF", u".dib", u".DIB", u".wdp", u".WDP",
    u".jxr", u".JXR", u".hdp", u".HDP"};
constexpr List kRtf = {u".rtf", u".RTF"};
constexpr List kTexts = {
    u".txt", u".TXT", u".rc", u".RC", u".rc2", u".RC2", u".qml", u".QML", u".asm", u".ASM",
    u".log", u".asmx", u".ASMX", u".xsd", u".XSD", u".manifest", u".old", u".contact", u".config",
    u".c", u".C", u".h", u".H", u".ini", u".hta", u".HTA", u".htaccess", u".info", u".css", u".CSS",
    u".eml", u".EML", u".mht", u".cpp", u".CPP", u".hpp", u".HPP", u".cs", u".CS", u".resx", u".RESX",
    u".mq5", u".MQ5", u".reg", u".REG", u".cxx", u".CXX", u".hxx", u".HXX", u".mqh", u".MQH",
    u".htm", u".HTM", u".asp", u".ASP", u".html", u".HTML", u".aspx", u".ASPX", u".php", u".PHP",
    u".inc", u".INC", u".pro", u".PRO", u".pl", u".PL", u".js", u".JS", u".vbs", u".VBS",
    u".java", u".JAVA", u".cmd", u".CMD", u".bat", u".BAT", u".sh", u".SH", u".py", u".PY",
    u".jsp", u".JSP", u".vcxproj", u".csproj", u".sln"};

bool In(List list, std::u16string_view ext) { return std::find(list.begin(), list.end(), ext) != list.end(); }

}  // namespace

DropKind KindOfExtension(std::u16string_view extension) {
  if (In(kShortcuts, extension)) return DropKind::kShortcut;
  if (In(kLibraries, extension)) return DropKind::kLibrary;
  if (In(kSounds, extension)) return DropKind::kSound;
  if (In(kPictures, extension)) return DropKind::kPicture;
  if (In(kRtf, extension)) return DropKind::kRtf;
  if (In(kTexts, extension)) return DropKind::kText;
  return DropKind::kOther;
}

TextSignature DetectTextSignature(std::string_view start) {
  auto starts = [&](std::string_view sig) { return start.substr(0, sig.size()) == sig; };
  if (starts("\xEF\xBB\xBF")) return {TextEncoding::kUtf8, 3};
  if (starts("\xFF\xFE")) return {TextEncoding::kUtf16Le, 2};
  if (starts("\xFE\xFF")) return {TextEncoding::kUtf16Be, 2};
  return {TextEncoding::kAnsi, 0};
}

std::string SwapPairs(std::string_view bytes, int* carry) {
  std::string joined;
  joined.reserve(bytes.size() + 1);
  if (*carry >= 0) joined.push_back(static_cast<char>(*carry));
  joined.append(bytes);
  const std::size_t whole = joined.size() & ~static_cast<std::size_t>(1);
  *carry = whole < joined.size() ? static_cast<unsigned char>(joined.back()) : -1;
  joined.resize(whole);
  for (std::size_t i = 0; i < whole; i += 2) std::swap(joined[i], joined[i + 1]);
  return joined;
}

}  // namespace lw
