#include "CommandLineRun.h"

#include "cli/CommandLine.h"

#include <cstdio>
#include <memory>

namespace zorvek::test {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string contents(std::FILE* file) {
    std::rewind(file);
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
        text.append(buffer, n);
    }
    return text;
}

}  // namespace

RunResult run(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "zorvek");
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    std::unique_ptr<std::FILE, FileCloser> out(std::tmpfile());
    std::unique_ptr<std::FILE, FileCloser> err(std::tmpfile());
    const int status = runCommandLine(static_cast<int>(argv.size()), argv.data(), out.get(), err.get());
    return {status, contents(out.get()), contents(err.get())};
}

}  // namespace zorvek::test
