#include "support/ScriptedConsole.h"

#include "console/TypedPaths.h"

#include <regex>
#include <stdexcept>

namespace zorvek::test {

ScriptedConsole::ScriptedConsole(std::string_view answers) {
    while (!answers.empty()) {
        const std::size_t end = answers.find('\n');
        answers_.emplace_back(answers.substr(0, end));
        answers.remove_prefix(end == std::string_view::npos ? answers.size() : end + 1);
    }
}

std::string ScriptedConsole::plainText() const {
    static const std::regex marks("<(11|12|14|15|/)>");
    return std::regex_replace(transcript_, marks, "");
}

void ScriptedConsole::write(std::string_view text) {
    if (!failingText_.empty() && text == failingText_) {
        failingText_.clear();
        throw std::runtime_error("scripted console failure");
    }
    transcript_ += text;
}

void ScriptedConsole::setColour(Colour colour) {
    transcript_ += "<" + std::to_string(static_cast<int>(colour)) + ">";
}

std::optional<int> ScriptedConsole::readKey(bool echo) {
    if (answers_.empty()) {
        return std::nullopt;
    }
    std::string line = std::move(answers_.front());
    answers_.pop_front();
    if (line.empty()) {
        return '\r';  // Enter
    }
    if (echo) {
        transcript_ += line.front();
    }
    return static_cast<unsigned char>(line.front());
}

std::optional<std::string> ScriptedConsole::readLine() {
    if (answers_.empty()) {
        return std::nullopt;
    }
    std::string line = std::move(answers_.front());
    answers_.pop_front();
    transcript_ += line + "\n";
    return line;
}

std::optional<std::filesystem::path> ScriptedConsole::askOpenPath(const FileFilter&, std::string_view prompt) {
    return askOpenPathByTyping(
        *this, [this](std::string_view) { return readLine(); }, prompt);
}

std::optional<std::filesystem::path> ScriptedConsole::askSavePath(const FileFilter&, std::string_view defaultExtension,
                                                                  const std::filesystem::path& source) {
    return askSavePathByTyping(
        *this, [this](std::string_view) { return readLine(); }, defaultExtension, source);
}

}  // namespace zorvek::test
