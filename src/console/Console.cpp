#include "console/Console.h"

#include "console/TypedPaths.h"

namespace zorvek {

std::optional<std::string> Console::readLineCompleting(const std::vector<std::string>&) {
    return readLine();
}

std::optional<std::filesystem::path> Console::askFolderPath() {
    return askFolderPathByTyping(*this, [this](std::string_view) { return readLine(); });
}

}  // namespace zorvek
