#pragma once

#include "console/Console.h"

#include <deque>
#include <string>
#include <string_view>
#include <utility>

namespace zorvek::test {

// A console fed from scripted answer lines that records everything shown.
// Colours appear in the transcript as <11>, <12>, <14>, <15> and </> (default),
// so tests check exact output, colours included. Answers behave as piped
// input does: a key is the first character of its line, a line is echoed.
class ScriptedConsole : public Console {
public:
    // Answers separated by '\n'; the end of the text is the end of input.
    explicit ScriptedConsole(std::string_view answers = {});

    const std::string& transcript() const { return transcript_; }
    // The transcript without colour marks.
    std::string plainText() const;
    std::size_t answersLeft() const { return answers_.size(); }
    const std::string& title() const { return title_; }
    // The first write of exactly this text throws instead, as a console that
    // breaks down would: an error that is none of ours, in the middle of a command.
    void failWriting(std::string text) { failingText_ = std::move(text); }

    void setTitle(std::string_view title) override { title_ = title; }
    void write(std::string_view text) override;
    void setColour(Colour colour) override;
    void setDefaultColour() override { transcript_ += "</>"; }
    void endLine() override { transcript_ += '\n'; }
    std::optional<int> readKey(bool echo) override;
    std::optional<std::string> readLine() override;
    std::optional<std::filesystem::path> askOpenPath(const FileFilter& filter, std::string_view prompt) override;
    std::optional<std::filesystem::path> askSavePath(const FileFilter& filter, std::string_view defaultExtension,
                                                     const std::filesystem::path& source) override;

private:
    std::deque<std::string> answers_;
    std::string transcript_;
    std::string title_;
    std::string failingText_;
};

}  // namespace zorvek::test
