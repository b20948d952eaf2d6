#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zorvek {

// One key as the Windows console reports it: its character code (or
// nonCharacterKey) and the UTF-8 text to echo, empty for keys that show nothing.
struct WindowsKey {
    int code = 0;
    std::string echo;
};

// The code _getwch returns when the console has nothing more to give.
inline constexpr std::uint32_t noMoreCodes = 0xFFFF;

// _getwch hands Ctrl-C over as a key instead of interrupting the program.
inline constexpr int ctrlCKey = 0x03;

// One key from the codes _getwch hands out, one per call. Arrows and function
// keys come as two codes (0 or 0xE0, then the scan code): both are taken and
// count as one key that no menu accepts, so that a scan code such as 'Q' (Page
// Down) or 'D' (F10) never chooses an entry. Ctrl-Z ends the input, as it ends
// typed input on a Windows console; Ctrl-C comes back as ctrlCKey.
std::optional<WindowsKey> keyFromConsoleCodes(const std::function<std::uint32_t()>& nextCode);

// The key of one piped answer line: its first character, or Enter for an empty
// line. A byte that starts no valid UTF-8 sequence is a key of its own and is not echoed.
WindowsKey keyFromPipedLine(std::string_view line);

}  // namespace zorvek
