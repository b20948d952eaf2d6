#pragma once

#include "base/Math.h"
#include "base/UserMessageError.h"
#include "support/ExpectError.h"

#include <ostream>
#include <string>
#include <string_view>

namespace zorvek {

inline void PrintTo(const Vec3& v, std::ostream* os) {
    *os << "(" << v.x << ", " << v.y << ", " << v.z << ")";
}

namespace test {

// The bytes of a table file saved as UTF-16LE, with or without the FF FE mark.
inline std::string utf16LeBytes(std::u16string_view text, bool withMark = true) {
    std::string bytes = withMark ? std::string("\xFF\xFE") : std::string();
    for (const char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

// The message of the UserMessageError that `parse` throws, or noUserError.
template <class Parse>
std::string messageOf(Parse&& parse) {
    return userErrorOf(parse);
}

// What this platform's type information calls the wide field text that the number conversions read.
inline const std::string wideStringTypeName =
    "std::__cxx11::basic_string<wchar_t, std::char_traits<wchar_t>, std::allocator<wchar_t> >";

inline const std::string lexicalCastDescription =
    "bad lexical cast: source type value could not be interpreted as target";

}  // namespace test
}  // namespace zorvek
