#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zorvek {

// Text in Shift-JIS as MMD's files hold it: code page 932 (Windows-31J), the
// system's own converter on each platform, never a table of ours. A character
// the code page has no exact place for becomes "?", and so does every UTF-16
// surrogate, paired or not (932 holds nothing beyond U+FFFF); both platforms
// give the same bytes.
std::string toShiftJis(std::u16string_view text);

// At most maxBytes of Shift-JIS text, cut before the first character that
// does not fit whole: a lead byte never stays without its trail byte.
std::string cutShiftJis(std::string_view sjis, std::size_t maxBytes);

}  // namespace zorvek
