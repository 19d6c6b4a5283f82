#include "music/clips.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "store/file_safety.h"
#include "store/statements.h"

namespace lw {

namespace {

constexpr size_t kMaxClipName = 259;

std::uint32_t Le32(std::string_view b, size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}
unsigned Le16(std::string_view b, size_t at) {
  return static_cast<unsigned char>(b[at]) | static_cast<unsigned>(static_cast<unsigned char>(b[at + 1])) << 8;
}

constexpr unsigned kFormatPcm = 1, kFormatExtensible = 0xFFFE;
// The first bytes of KSDATAFORMAT_SUBTYPE_PCM: the PCM tag again.
constexpr size_t kExtensibleSubformat = 24;

// Whether the "fmt " chunk body `fmt` describes PCM samples.
bool IsPcmFormat(std::string_view fmt) {
  const unsigned tag = Le16(fmt, 0);
  if (tag == kFormatPcm) return true;
  return tag == kFormatExtensible && fmt.size() >= kExtensibleSubformat + 2 &&
         Le16(fmt, kExtensibleSubformat) == kFormatPcm;
}

bool TableExists(Db& db) {
  Statement st = db.Prepare8(kSqlAttachmentTableExists);
  return st && st.Step() && st.ColumnInt(0) > 0;
}

}  // namespace

std::u16string ClipNameOf(std::u16string_view path) {
  const size_t slash = path.find_last_of(u"\\/");
  std::u16string name(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
  if (name.size() > kMaxClipName) name.resize(kMaxClipName);
  std::replace(name.begin(), name.end(), u' ', u'_');
  std::replace(name.begin(), name.end(), u'\'', u'_');
  return name;
}

bool HasWavExtension(std::u16string_view name) {
  return name.size() >= 4 && (name.substr(name.size() - 4) == u".wav" || name.substr(name.size() - 4) == u".WAV");
}

WavCheck CheckWav(std::string_view bytes, std::int64_t limit) {
  if (static_cast<std::int64_t>(bytes.size()) > limit) return WavCheck::kTooLarge;
  if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "WAVE") {
    return WavCheck::kNotWave;
  }
  if (Le32(bytes, 4) > bytes.size() - 8) return WavCheck::kTruncated;
  bool pcm = false, format_seen = false;
  for (size_t at = 12; at + 8 <= bytes.size();) {
    const std::string_view id = bytes.substr(at, 4);
    const std::uint64_t size = Le32(bytes, at + 4);
    if (size > bytes.size() - at - 8) return WavCheck::kTruncated;
    const std::string_view body = bytes.substr(at + 8, static_cast<size_t>(size));
    if (id == "fmt ") {
      if (body.size() < 16) return WavCheck::kTruncated;
      format_seen = true;
      pcm = IsPcmFormat(body);
    } else if (id == "data") {
      if (!format_seen) return WavCheck::kNotWave;
      return pcm ? WavCheck::kPcm : WavCheck::kNotPcm;
    }
    at += 8 + static_cast<size_t>(size) + (size & 1);  // chunks are padded to even sizes
  }
  return format_seen && !pcm ? WavCheck::kNotPcm : WavCheck::kTruncated;
}

std::string WavCheckText(WavCheck check) {
  switch (check) {
    case WavCheck::kPcm: return {};
    case WavCheck::kNotWave: return "is not a WAV file";
    case WavCheck::kNotPcm: return "is not PCM audio";
    case WavCheck::kTruncated: return "is cut short";
    case WavCheck::kTooLarge: return "is too large for the library";
  }
  return {};
}

std::optional<std::string> ReadWavFile(const std::u16string& path, std::int64_t limit, std::string* why) {
  std::string reason;
  if (const PathKind kind = KindOfPath(path, &reason); kind != PathKind::kRegular) {
    *why = QuotedPath(path) + (kind == PathKind::kUnreachable ? ": " + reason : " " + KindText(kind));
    return std::nullopt;
  }
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(std::filesystem::path(path), ec);
  if (!ec && size > static_cast<std::uintmax_t>(limit)) {
    *why = QuotedPath(path) + " " + WavCheckText(WavCheck::kTooLarge);
    return std::nullopt;
  }
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  std::string bytes;
  if (!ec && in) bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (ec || !in.is_open() || in.bad()) {
    *why = QuotedPath(path) + ": cannot be read";
    return std::nullopt;
  }
  if (const WavCheck check = CheckWav(bytes, limit); check != WavCheck::kPcm) {
    *why = QuotedPath(path) + " " + WavCheckText(check);
    return std::nullopt;
  }
  return bytes;
}

std::int64_t ClipByteLimit(Db& db) {
  // The row's name and record header must fit beside the bytes.
  constexpr int kRowRoom = 1024;
  const int limit = db.handle() ? sqlite3_limit(db.handle(), SQLITE_LIMIT_LENGTH, -1) : 0;
  return limit > kRowRoom ? limit - kRowRoom : 0;
}

std::optional<std::vector<std::u16string>> ListClips(Db& db) {
  std::vector<std::u16string> names;
  if (!TableExists(db)) return names;
  Statement st = db.Prepare8(kSqlSelectAttachmentNames);
  while (st && st.Step()) names.push_back(st.ColumnText16(0));
  if (!st || st.failed()) return std::nullopt;
  return names;
}

ClipAdd AddClip(Db& db, const std::u16string& name, std::string_view bytes) {
  if (!db.Exec("BEGIN IMMEDIATE")) return ClipAdd::kFailed;
  ClipAdd outcome = ClipAdd::kFailed;
  if (db.Exec(kSqlCreateAttachments)) {
    Statement taken = db.Prepare8(kSqlCountAttachmentsNamed);
    if (taken && taken.BindText16(1, name) && taken.Step()) {
      if (taken.ColumnInt(0) > 0) {
        outcome = ClipAdd::kNameTaken;
      } else {
        Statement insert = db.Prepare8(kSqlInsertAttachment);
        if (insert && insert.BindText16(1, name) && insert.BindBlob(2, bytes.data(), bytes.size()) &&
            insert.Run()) {
          outcome = ClipAdd::kAdded;
        }
      }
    }
  }
  if (outcome == ClipAdd::kAdded && db.Exec("COMMIT")) return outcome;
  db.Exec("ROLLBACK");
  return outcome == ClipAdd::kAdded ? ClipAdd::kFailed : outcome;
}

std::optional<std::string> ReadClip(Db& db, const std::u16string& name) {
  if (!TableExists(db)) return std::nullopt;
  Statement st = db.Prepare8(kSqlSelectAttachmentData);
  if (!st || !st.BindText16(1, name) || !st.Step()) return std::nullopt;
  return st.ColumnBlob(0);
}

int DeleteClip(Db& db, const std::u16string& name) {
  if (!TableExists(db)) return 0;
  Statement st = db.Prepare8(kSqlDeleteAttachment);
  if (!st || !st.BindText16(1, name)) return -1;
  return st.RunCountingChanges();
}

std::optional<std::u16string> ResolveClipName(const std::vector<std::u16string>& names,
                                              std::u16string_view name) {
  const auto has = [&](const std::u16string& n) { return std::find(names.begin(), names.end(), n) != names.end(); };
  const std::u16string plain(name);
  if (has(plain)) return plain;
  const bool lower = name.size() >= 4 && name.substr(name.size() - 4) == u".wav";
  const bool upper = name.size() >= 4 && name.substr(name.size() - 4) == u".WAV";
  if (!lower && has(plain + u".wav")) return plain + u".wav";
  if (!upper && has(plain + u".WAV")) return plain + u".WAV";
  return std::nullopt;
}

// --- Playing ---------------------------------------------------------------------

void ClipStream::Load(std::string bytes) {
  bytes_ = std::move(bytes);
  position_ = 0;
  loaded_ = true;
  opened_ = false;
}

void ClipStream::Open() {
  if (opened_) return;
  opened_ = true;
  position_ = 0;
}

long ClipStream::Read(char* buffer, long size) {
  if (!loaded_ || size <= 0) return 0;
  const long n = std::min(size, length() - position_);
  if (n <= 0) return 0;
  std::memcpy(buffer, bytes_.data() + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

long ClipStream::Seek(long offset, Origin origin) {
  // As files seek: from the end the offset counts back with its sign
  // (-4 is four bytes before the end).
  long long target = offset;
  if (origin == Origin::kCurrent) target += position_;
  if (origin == Origin::kEnd) target += length();
  position_ = static_cast<long>(std::clamp<long long>(target, 0, length()));
  return position_;
}

void ClipStream::Close() {
  bytes_.clear();
  bytes_.shrink_to_fit();
  position_ = 0;
  loaded_ = false;
  opened_ = false;
}

int SliderPosition(long position, long length) {
  if (length <= 0) return 0;
  const long long place = static_cast<long long>(std::clamp(position, 0L, length)) * 100 / length;
  return static_cast<int>(place);
}

long JumpTarget(Jump jump, long position, long length) {
  constexpr long kStep = 9999;
  position = std::clamp(position, 0L, std::max(length, 0L));
  if (jump == Jump::kBack) return position < kStep + 1 ? 0 : position - kStep;
  return position < length - kStep ? position + kStep : std::max(length, 0L);
}

}  // namespace lw
