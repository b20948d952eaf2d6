#include "console/ConsoleForms.h"

#include "base/TextBlanks.h"
#include "base/UserMessageError.h"

namespace zorvek {

void printColoured(Console& console, Colour colour, std::string_view text) {
    console.setColour(colour);
    console.write(text);
    console.setDefaultColour();
}

void printLine(Console& console, std::string_view text) {
    console.write(text);
    console.endLine();
}

namespace {
// The line end stays inside the colour, so the next line starts in the user's colours.
void printColouredLine(Console& console, Colour colour, std::string_view text) {
    console.setColour(colour);
    console.write(text);
    console.endLine();
    console.setDefaultColour();
}
}  // namespace

void printError(Console& console, std::string_view message) {
    printColouredLine(console, Colour::Error, std::string("エラー: ").append(message));
}

void printWarning(Console& console, std::string_view message) {
    printColouredLine(console, Colour::Warning, std::string("警告: ").append(message));
}

void printHeading(Console& console, std::string_view title) {
    printColouredLine(console, Colour::Heading, title);
    console.endLine();
    console.endLine();
}

void printCancelled(Console& console) {
    console.endLine();
    printLine(console, "操作はキャンセルされました");
}

void printInvalidChoice(Console& console) {
    printColouredLine(console, Colour::Error, "有効な文字を入力してください");
}

std::optional<int> readChoiceKey(Console& console) {
    return console.readKey(true);
}

void waitAnyKey(Console& console) {
    console.readKey(false);
}

std::string readWord(Console& console) {
    for (;;) {
        std::optional<std::string> line = console.readLine();
        if (!line) {
            throw OperationCancelled();
        }
        const std::string_view word = firstWord(*line);
        if (word.empty()) {
            continue;  // Enter alone keeps waiting for a word
        }
        return std::string(word);
    }
}

std::string readNumberLine(Console& console) {
    std::optional<std::string> line = console.readLine();
    if (!line) {
        throw OperationCancelled();
    }
    return *line;
}

std::optional<bool> askYesNo(Console& console, std::string_view question) {
    console.write(question);
    console.setColour(Colour::Input);
    const std::optional<std::string> answer = console.readLine();
    console.setDefaultColour();
    if (!answer) {
        return std::nullopt;
    }
    const std::string_view word = trimBlanks(*answer);
    return word == "y" || word == "Y" || word == "yes";
}

}  // namespace zorvek
