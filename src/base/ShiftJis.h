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

// Shift-JIS text from a file (code page 932, the system's converter again)
// in UTF-16, for messages and names shown to the user. A lead byte takes the
// next byte with it when that is a trail byte (40-7E, 80-FC); a pair the code
// page has no character for becomes one U+FFFD, and so does every byte that
// starts no character: a lead byte without its trail byte (the next byte is
// then read on its own), 80, A0 and FD-FF (which only Windows gives
// characters). Both platforms give the same text.
std::u16string fromShiftJis(std::string_view sjis);

}  // namespace zorvek
