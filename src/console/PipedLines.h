#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zorvek {

// One answer line from piped or redirected input: the bytes up to the next
// line end, without "\n" or "\r\n"; nothing at the end of input. Of an
// overlong line the first `longest` bytes are kept and the rest is read and
// dropped, so that no input can grow a line without bound.
// `available` gives the unread bytes of the reader's buffer, refilling it
// when none are left (empty at the end of input); `consume` marks n of them read.
std::optional<std::string> readPipedLine(const std::function<std::string_view()>& available,
                                         const std::function<void(std::size_t)>& consume, std::size_t longest);

}  // namespace zorvek
