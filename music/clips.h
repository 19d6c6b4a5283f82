// Sound clips kept in the library: WAV files stored whole, by name, in the
// table atach (made on first use). Portable: the window's attachments menu
// and player and lorewell-cli's clip commands run the same code.
//
// Failures of SQLite calls go to the connection's ErrorSink.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/db.h"

namespace lw {

// The name a clip gets from the file it came from: the file-name part of
// `path` (at most 259 units), each blank and apostrophe made '_'.
std::u16string ClipNameOf(std::u16string_view path);

// Whether `name` ends in exactly ".wav" or ".WAV": only such clips are
// handed to the wave device.
bool HasWavExtension(std::u16string_view name);

// --- The file ------------------------------------------------------------------

enum class WavCheck {
  kPcm,          // a RIFF WAVE file of PCM samples, whole
  kNotWave,      // no RIFF WAVE header: not a WAV file at all
  kNotPcm,       // compressed or otherwise not PCM samples
  kTruncated,    // a chunk, the format or the samples run past the end
  kTooLarge,     // longer than the library can store in one value
};

// What `bytes` are, for a library that stores values up to `limit` bytes.
WavCheck CheckWav(std::string_view bytes, std::int64_t limit);

// "is not a WAV file", "is not PCM audio", "is cut short", "is too large
// for the library"; empty for kPcm.
std::string WavCheckText(WavCheck check);

// The bytes of the WAV file at `path` when it is a regular file holding a
// whole PCM WAV within `limit` (a larger file is refused before it is
// read); otherwise nothing, and `why` says why, naming the file.
std::optional<std::string> ReadWavFile(const std::u16string& path, std::int64_t limit, std::string* why);

// The largest clip the library `db` can store.
std::int64_t ClipByteLimit(Db& db);

// --- The table -----------------------------------------------------------------

// Every clip's name in the table's order; empty when there is no table
// yet. Nothing when the read failed (reported).
std::optional<std::vector<std::u16string>> ListClips(Db& db);

enum class ClipAdd { kAdded, kNameTaken, kFailed };

// Stores `bytes` as the clip `name`: the table made when missing and the
// row inserted in one transaction, every step checked, so a failure leaves
// the library as it was. A name already in the table is refused.
ClipAdd AddClip(Db& db, const std::u16string& name, std::string_view bytes);

// The bytes of clip `name`; nothing when no clip has the name or the read
// failed (reported).
std::optional<std::string> ReadClip(Db& db, const std::u16string& name);

// Removes clip `name`: the rows removed (0 when none has it), -1 when it
// failed (reported).
int DeleteClip(Db& db, const std::u16string& name);

// The clip of `names` that a play request for `name` means: the name
// itself, else with ".wav" added (unless it ends so), else with ".WAV"
// added (likewise). Nothing when none is there.
std::optional<std::u16string> ResolveClipName(const std::vector<std::u16string>& names,
                                              std::u16string_view name);

// --- Playing --------------------------------------------------------------------

// The clip the wave device reads through the program's file procedure, as a
// file of its own: open, read, seek and close. Reads stop at the clip's end
// and seeks stay within it.
class ClipStream {
 public:
  // A new clip to play; the next open starts at its beginning.
  void Load(std::string bytes);
  // The first open after a Load starts at 0; a later one changes nothing.
  void Open();
  // Copies up to `size` bytes from the position; the number copied (0 at
  // the end or with no clip).
  long Read(char* buffer, long size);
  enum class Origin { kBegin, kCurrent, kEnd };
  // The new position, kept within 0 and the clip's length.
  long Seek(long offset, Origin origin);
  // Lets the clip go: later reads copy nothing.
  void Close();

  bool loaded() const { return loaded_; }
  long position() const { return position_; }
  long length() const { return static_cast<long>(bytes_.size()); }

 private:
  std::string bytes_;
  long position_ = 0;
  bool loaded_ = false;
  bool opened_ = false;
};

// The slider's place, 0 to 100, for `position` ms of a clip of `length` ms;
// 0 for a clip too short to measure.
int SliderPosition(long position, long length);

enum class Jump { kBack, kForward };
// Where a jump of about ten seconds lands: back to 0 near the start,
// forward to the end near the end, never outside the clip.
long JumpTarget(Jump jump, long position, long length);

}  // namespace lw
