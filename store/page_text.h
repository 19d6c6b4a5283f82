// A page as a file of its own: the stored RTF as it is, or its text as
// UTF-16 little-endian with the FF FE signature. The text is read from the
// RTF here, without a rich-edit control, for the command-line tool.
#pragma once

#include <string>
#include <string_view>

namespace lw {

// The plain text of an RTF document: groups that are not text (font and
// colour tables, pictures, \* destinations and the like) are left out;
// \par and \row end a line with "\r\n", \tab and \cell give a tab (nested
// tables too); hidden text (\v) and index entries are left out; \'hh and
// 8-bit bytes are read in the code page of the current font's \fcharset,
// or else the document's \ansicpg (1252 by default), double-byte code
// pages included; \uN is the character N with its \ucN fallback skipped.
std::u16string RtfToText(std::string_view rtf);

// 8-bit text in a Windows code page (store/code_page.h).
std::u16string DecodeAnsi(std::string_view bytes, int code_page);

// Whether a page file at `path` holds RTF: its name ends in ".rtf" or
// ".RTF". Any other name holds text.
bool IsRtfFileName(const std::u16string& path);
// A text page file: the signature FF FE, then `utf16le`, the text in UTF-16
// little-endian (as a rich-edit control streams it out).
std::string TextPageFile(std::string_view utf16le);

// The bytes of a page file for `path`: the RTF itself when IsRtfFileName,
// otherwise a TextPageFile of the page's text as the RTF reader reads it.
std::string PageFileBytes(const std::u16string& path, std::string_view rtf);

// Writes `bytes` as the page file at `path` through a ReplacementFile
// (file_safety.h), with the rules of WritePageFile below.
bool WritePageBytes(const std::u16string& path, std::string_view bytes, const std::u16string& library,
                    std::string* error);

// Writes PageFileBytes as the file at `path` through a ReplacementFile
// (file_safety.h): a file there keeps its old content until the new one is
// complete, and keeps its permissions and owner. `library`, the file the
// page comes from, is never written over. False with the message in
// `error` ("cannot write 'x': why") when the file cannot be written.
bool WritePageFile(const std::u16string& path, std::string_view rtf,
                   const std::u16string& library, std::string* error);

}  // namespace lw
