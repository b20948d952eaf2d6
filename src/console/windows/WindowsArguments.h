#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zorvek {

// The runtime's argv holds the arguments in the system's code page, where a
// name in another script is lost; the wide command line keeps every name.
// The arguments of a wide command line, split as the system splits them, in UTF-8.
std::vector<std::string> splitCommandLine(std::u16string_view commandLine);

// This program's arguments in UTF-8, with a C-style argv over them.
class Utf8Arguments {
public:
    Utf8Arguments();
    explicit Utf8Arguments(std::vector<std::string> arguments);
    Utf8Arguments(const Utf8Arguments&) = delete;
    Utf8Arguments& operator=(const Utf8Arguments&) = delete;

    int count() const { return static_cast<int>(arguments_.size()); }
    char** values() { return pointers_.data(); }

private:
    std::vector<std::string> arguments_;
    std::vector<char*> pointers_;
};

}  // namespace zorvek
