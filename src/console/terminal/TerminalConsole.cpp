#include "console/terminal/TerminalConsole.h"

#include "console/ReportStream.h"

#include "console/AnsiColours.h"

#include "console/TypedPaths.h"
#include "console/terminal/TerminalKeys.h"
#include "console/terminal/TerminalMode.h"

#include <cstdlib>

namespace zorvek {

namespace {

bool isTerminal(int fd) {
    return isatty(fd) == 1;
}

bool terminalIsDumb() {
    const char* terminal = std::getenv("TERM");
    return terminal != nullptr && std::string_view(terminal) == "dumb";
}

// Control characters would end the title sequence early or act on the terminal.
std::string printableTitle(std::string_view title) {
    std::string printable;
    for (const char c : title) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7f) {
            printable += c;
        }
    }
    return printable;
}

}  // namespace

TerminalConsole::TerminalConsole(int inputFd, int outputFd)
    : inputIsTerminal_(isTerminal(inputFd)),
      outputIsTerminal_(isTerminal(outputFd)),
      colours_(colourAllowed(outputFd)),
      input_(inputFd, inputIsTerminal_),
      output_(outputFd) {
    if (inputIsTerminal_ || colours_) {
        signalGuard_.emplace(outputIsTerminal_ ? outputFd : -1, colours_);
    }
    if (inputIsTerminal_ && outputIsTerminal_) {
        lineEditor_ = std::make_unique<LineEditor>(input_, outputFd);
    }
}

TerminalConsole::~TerminalConsole() {
    output_.flush();
}

bool TerminalConsole::colourAllowed(int fd) {
    return isTerminal(fd) && !colourRefusedByUser() && !terminalIsDumb();
}

void TerminalConsole::setTitle(std::string_view title) {
    if (outputIsTerminal_ && !terminalIsDumb()) {
        output_.writeOutOfLine("\x1b]0;" + printableTitle(title) + "\x07");
    }
}

void TerminalConsole::write(std::string_view text) {
    output_.write(text);
}

std::string_view TerminalConsole::colourSequence() const {
    return colour_ ? ansiColourSequence(*colour_) : ansiUserColours;
}

void TerminalConsole::setColour(Colour colour) {
    colour_ = colour;
    if (colours_) {
        output_.writeInvisible(colourSequence());
        // The sequences are string literals, so their data stays valid and NUL-terminated.
        TerminalSignalGuard::noteColour(colourSequence().data());
    }
}

void TerminalConsole::setDefaultColour() {
    colour_.reset();
    if (colours_) {
        output_.writeInvisible(colourSequence());
        TerminalSignalGuard::noteColour(nullptr);
    }
}

void TerminalConsole::endLine() {
    output_.write("\n");
    output_.flush();
}

void TerminalConsole::echo(std::string_view text) {
    if (!text.empty()) {
        output_.write(text);
        output_.flush();
    }
}

std::optional<int> TerminalConsole::readKey(bool echoKey) {
    output_.flush();
    std::optional<KeyPress> key;
    if (inputIsTerminal_) {
        const SingleKeyMode singleKey(input_.fd());
        key = readTerminalKey(input_);
    } else if (const std::optional<std::string> line = input_.readLine()) {
        key = keyFromAnswerLine(*line);
    }
    if (!key) {
        return std::nullopt;
    }
    if (echoKey) {
        echo(key->echo);
    }
    return key->code;
}

std::optional<std::string> TerminalConsole::readLine() {
    output_.flush();
    std::optional<std::string> line = input_.readLine();
    if (!line) {
        return std::nullopt;
    }
    if (inputIsTerminal_) {
        output_.noteLineEnded();  // the terminal showed the line and its end
    } else {
        output_.write(*line);
        endLine();
    }
    return line;
}

std::optional<std::string> TerminalConsole::readLineCompleting(const std::vector<std::string>& words) {
    return readEditedLine("", &words);
}

std::optional<std::filesystem::path> TerminalConsole::askFolderPath() {
    return askFolderPathByTyping(*this, [this](std::string_view prefill) { return readPathLine(prefill); });
}

std::optional<std::string> TerminalConsole::readPathLine(std::string_view prefill) {
    return readEditedLine(prefill, nullptr);
}

std::optional<std::string> TerminalConsole::readEditedLine(std::string_view prefill,
                                                           const std::vector<std::string>* words) {
    if (!lineEditor_) {
        return readLine();
    }
    // The caller has written the prompt; the editor takes it over and draws it
    // itself, so that it knows where the answer starts when it redraws the line.
    std::string prompt = output_.takeCurrentLine();
    std::string editorPrompt = colours_ ? promptWithTypingColour(prompt, ansiColourSequence(Colour::Input)) : prompt;
    std::optional<std::string> line = lineEditor_->readLine(editorPrompt, prefill, words);
    if (line) {
        output_.noteLineEnded();
    } else {
        output_.noteLineShown(std::move(prompt));
    }
    if (colours_) {
        output_.writeInvisible(colourSequence());
    }
    return line;
}

std::optional<std::filesystem::path> TerminalConsole::askOpenPath(const FileFilter&, std::string_view prompt) {
    return askOpenPathByTyping(
        *this, [this](std::string_view prefill) { return readPathLine(prefill); }, prompt);
}

std::optional<std::filesystem::path> TerminalConsole::askSavePath(const FileFilter&, std::string_view defaultExtension,
                                                                  const std::filesystem::path& source) {
    return askSavePathByTyping(
        *this, [this](std::string_view prefill) { return readPathLine(prefill); }, defaultExtension, source);
}

}  // namespace zorvek
