#include "console/PipedLines.h"

#include <algorithm>

namespace zorvek {

std::optional<std::string> readPipedLine(const std::function<std::string_view()>& available,
                                         const std::function<void(std::size_t)>& consume, std::size_t longest) {
    std::string line;
    bool readAnything = false;
    for (;;) {
        const std::string_view chunk = available();
        if (chunk.empty()) {
            if (!readAnything) {
                return std::nullopt;
            }
            break;
        }
        readAnything = true;
        const std::size_t lineEnd = chunk.find('\n');
        const std::size_t part = lineEnd == std::string_view::npos ? chunk.size() : lineEnd;
        const std::size_t room = longest - std::min(line.size(), longest);
        line.append(chunk.substr(0, std::min(part, room)));
        if (lineEnd == std::string_view::npos) {
            consume(chunk.size());
            continue;
        }
        consume(lineEnd + 1);
        break;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

}  // namespace zorvek
