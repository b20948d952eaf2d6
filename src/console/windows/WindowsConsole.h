#pragma once

#include "console/Console.h"
#include "console/windows/WindowsInput.h"
#include "console/windows/WindowsOutput.h"

namespace zorvek {

// The console on Windows: the title and the text attributes of the console,
// keys without Enter, and the system's open and save dialogs. When input is
// not a console every answer is one line and paths are typed, as on Linux, so
// a transcript reads as the dialogue did at the console.
class WindowsConsole : public Console {
public:
    // Standard input and output.
    WindowsConsole();
    WindowsConsole(NativeHandle input, NativeHandle output);
    ~WindowsConsole() override;
    WindowsConsole(const WindowsConsole&) = delete;
    WindowsConsole& operator=(const WindowsConsole&) = delete;

    void setTitle(std::string_view title) override;
    void write(std::string_view text) override;
    void setColour(Colour colour) override;
    void setDefaultColour() override;
    void endLine() override;

    std::optional<int> readKey(bool echo) override;
    std::optional<std::string> readLine() override;

    std::optional<std::filesystem::path> askOpenPath(const FileFilter& filter, std::string_view prompt) override;
    std::optional<std::filesystem::path> askSavePath(const FileFilter& filter, std::string_view defaultExtension,
                                                     const std::filesystem::path& source) override;

private:
    [[noreturn]] void endAsCtrlCDoes();

    WindowsInput input_;
    WindowsOutput output_;
    bool ctrlHandlerInstalled_ = false;
};

}  // namespace zorvek
