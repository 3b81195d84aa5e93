// Text helpers of the drawing library. Texts are UTF-8 in memory; "bytes" are the code page
// form stored in files, held in a std::string used as a byte buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace jww {

// Sets the first n bytes of buf to value.
void FillBytes(uint8_t value, size_t n, void* buf);

// Code page encoding of the whole text (unencodable characters become '?').
std::string StrToBytes(std::string_view text);
// Code page decoding of all bytes, cut before the first U+0000.
std::string BytesToStr(std::string_view bytes);
// Length of the code page encoding of the text before its first zero byte.
size_t StrByteLen(std::string_view text);

// Removes every character below U+0020.
std::string StripCtrl(std::string_view text);
// Removes every U+3000, every U+0020 and every character below U+0020.
std::string StripBlanks(std::string_view text);
// The writer's cleaning of names and texts: drops the two-character sequences "^m" and "\n"
// (backslash, n) and the control characters; a text that had only those becomes " ".
std::string CleanName(std::string_view text);
// False when CleanName would give the text back unchanged.
bool NeedsCleaning(std::string_view text);

// Locale upper and lower casing, used for case-insensitive comparisons of names.
std::string UpperStr(std::string_view text);
std::string LowerStr(std::string_view text);

}  // namespace jww
