#pragma once

#include "console/Console.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace zorvek::test {

// One run of keys read from piped answers: what is read and what is echoed.
struct KeyCase {
    const char* name;
    std::string answers;
    bool echo;
    std::vector<std::optional<int>> keys;
    std::string output;
};

inline void PrintTo(const KeyCase& c, std::ostream* out) {
    *out << c.name;
}

// The cases every platform's console answers alike when its input is a pipe;
// each platform's tests add their own.
std::vector<KeyCase> pipedKeyCasesOnEveryPlatform();

// The title, a heading line, the three other colours and back to the user's colours.
void writeEveryColour(Console& console);

}  // namespace zorvek::test
