#include "console/windows/WindowsArguments.h"

#include "base/TextEncoding.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// shellapi.h needs the declarations of windows.h first.
#include <shellapi.h>

namespace zorvek {

std::vector<std::string> splitCommandLine(std::u16string_view commandLine) {
    const std::wstring text(commandLine.begin(), commandLine.end());
    int count = 0;
    LPWSTR* split = CommandLineToArgvW(text.c_str(), &count);
    std::vector<std::string> arguments;
    if (split == nullptr) {
        return arguments;
    }
    for (int i = 0; i < count; ++i) {
        const std::wstring_view argument(split[i]);
        arguments.push_back(utf16ToUtf8(std::u16string(argument.begin(), argument.end())));
    }
    LocalFree(split);
    return arguments;
}

Utf8Arguments::Utf8Arguments()
    : Utf8Arguments([] {
          const std::wstring_view line(GetCommandLineW());
          return splitCommandLine(std::u16string(line.begin(), line.end()));
      }()) {}

Utf8Arguments::Utf8Arguments(std::vector<std::string> arguments) : arguments_(std::move(arguments)) {
    for (std::string& argument : arguments_) {
        pointers_.push_back(argument.data());
    }
    pointers_.push_back(nullptr);
}

}  // namespace zorvek
