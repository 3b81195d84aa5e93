#include "jww/strutil.h"

#include <cstring>

#include "platform/text.h"

namespace jww {

void FillBytes(uint8_t value, size_t n, void* buf) {
  std::memset(buf, value, n);
}

std::string StrToBytes(std::string_view text) {
  return platform::Utf8ToCp932(text);
}

std::string BytesToStr(std::string_view bytes) {
  // A zero byte is never the second byte of a pair in this code page, so cutting the bytes
  // first gives the same text as decoding everything and cutting at U+0000.
  size_t zero = bytes.find('\0');
  if (zero != std::string_view::npos) bytes = bytes.substr(0, zero);
  return platform::Cp932ToUtf8(bytes);
}

size_t StrByteLen(std::string_view text) {
  size_t zero = text.find('\0');
  if (zero != std::string_view::npos) text = text.substr(0, zero);
  if (platform::IsAscii(text)) return text.size();
  return platform::Utf8ToCp932(text).size();
}

std::string StripCtrl(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x20) out += c;
  return out;
}

std::string StripBlanks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c <= 0x20) continue;
    if (c == 0xE3 && text.substr(i, 3) == "\xE3\x80\x80") {  // U+3000
      i += 2;
      continue;
    }
    out += static_cast<char>(c);
  }
  return out;
}

std::string CleanName(std::string_view text) {
  if (text.empty()) return std::string();
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (i + 1 < text.size() &&
        ((text[i] == '^' && text[i + 1] == 'm') || (text[i] == '\\' && text[i + 1] == 'n'))) {
      ++i;
      continue;
    }
    if (static_cast<unsigned char>(text[i]) >= 0x20) out += text[i];
  }
  if (out.empty()) return std::string(1, ' ');
  return out;
}

bool NeedsCleaning(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (static_cast<unsigned char>(c) < 0x20) return true;
    if ((c == '^' || c == '\\') && i + 1 < text.size() && text[i + 1] == (c == '^' ? 'm' : 'n'))
      return true;
  }
  return false;
}

std::string UpperStr(std::string_view text) {
  return platform::LocaleUpper(text);
}
std::string LowerStr(std::string_view text) {
  return platform::LocaleLower(text);
}

}  // namespace jww
