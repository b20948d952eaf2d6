#include "support/NodeScripts.h"

#include <sys/wait.h>
#include <cstdio>

namespace zorvek::test {

std::string shellQuoted(const std::filesystem::path& path) {
    std::string result = "'";
    for (char c : path.string()) {
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return result + "'";
}

CommandResult runCommand(const std::string& command) {
    CommandResult result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    char chunk[512];
    while (std::fgets(chunk, sizeof chunk, pipe) != nullptr) {
        result.output += chunk;
    }
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string missingNodePackage(const std::filesystem::path& folder, const std::string& package) {
    if (runCommand("node --version").status != 0) {
        return "node is not installed";
    }
    if (!std::filesystem::exists(folder / "node_modules" / package)) {
        return package + " is not installed: run npm ci in " + folder.string();
    }
    return "";
}

}  // namespace zorvek::test
