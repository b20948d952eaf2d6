#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zorvek {

// The length of the valid UTF-8 sequence that starts at text[i], with its code
// point; 0 for a byte that starts none (overlong forms and surrogates included).
std::size_t decodeUtf8(std::string_view text, std::size_t i, char32_t& codePoint);

// Decodes UTF-8 into UTF-16 code units. A byte that is not part of a valid
// sequence is kept as the code unit of its value, so no input is lost.
std::u16string utf8ToUtf16(std::string_view text);

std::string utf16ToUtf8(std::u16string_view text);

#ifdef _WIN32
// For the wide-character Windows functions, whose wchar_t is UTF-16.
std::wstring utf8ToWide(std::string_view text);
#endif

// Each byte becomes one code unit of the same value: how names from DFF files
// (which carry no encoding) go into PMX texts.
std::u16string widenBytes(std::string_view bytes);

// A path from UTF-8 text.
std::filesystem::path utf8ToPath(std::string_view text);

// A path as UTF-8 for display and for messages.
std::string pathToUtf8(const std::filesystem::path& path);

// A path's text in UTF-16, decoded from the platform's path encoding.
std::u16string pathToUtf16(const std::filesystem::path& path);

}  // namespace zorvek
