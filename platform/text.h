// Text services that the Windows build gets from the system: the ANSI code page (932 for
// drawings from Japanese systems) and the user locale's linguistic casing.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Decodes code page 932 bytes (Microsoft's table) into UTF-8. Never fails: every byte that
// cannot be decoded, alone or as the start of a broken pair, becomes one U+FFFD. A zero byte
// decodes to U+0000; callers that stop at the first zero cut the input themselves.
std::string Cp932ToUtf8(std::string_view bytes);

// Encodes UTF-8 text as code page 932. Every character the code page cannot represent
// becomes '?', the code page's default character; so does every byte of malformed UTF-8.
std::string Utf8ToCp932(std::string_view text);

// UTF-16 code units (host order) to UTF-8 and back. A lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view units);
std::u16string Utf8ToUtf16(std::string_view text);

// Upper- or lower-cases with the linguistic rules of the locale the process started in.
std::string LocaleUpper(std::string_view text);
std::string LocaleLower(std::string_view text);

// True when every byte is below 0x80: such text is the same in UTF-8, code page 932 and
// (unit for unit) UTF-16, so converters can skip the general path.
bool IsAscii(std::string_view bytes);

namespace detail {
// The conversions above done by iconv over the whole text, with no remembered characters:
// the reference the fast paths must agree with.
std::string Cp932ToUtf8ByIconv(std::string_view bytes);
std::string Utf8ToCp932ByIconv(std::string_view text);
}  // namespace detail

}  // namespace platform
