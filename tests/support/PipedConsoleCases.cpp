#include "support/PipedConsoleCases.h"

namespace zorvek::test {

std::vector<KeyCase> pipedKeyCasesOnEveryPlatform() {
    const std::optional<int> end = std::nullopt;
    return {
        KeyCase{"restOfLineDropped", "abc\nx\n", true, {'a', 'x', end}, "ax"},
        KeyCase{"emptyLineIsEnter", "\n", true, {'\r', end}, ""},
        KeyCase{"crlfLines", "b\r\n\r\n", true, {'b', '\r'}, "b"},
        KeyCase{"noEcho", "a\n", false, {'a'}, ""},
        KeyCase{"threeByteCharacter", "日本\n", true, {0x65e5}, "日"},
        KeyCase{"invalidByteNotEchoed", "\xff\n", true, {0xff}, ""},
        KeyCase{"lastLineWithoutLineEnd", "q", true, {'q', end}, "q"},
        KeyCase{"endOfInputStays", "", true, {end, end}, ""},
    };
}

void writeEveryColour(Console& console) {
    console.setTitle("ZORVEK");
    console.setColour(Colour::Heading);
    console.write("見出し");
    console.endLine();
    console.setDefaultColour();
    console.setColour(Colour::Error);
    console.write("e");
    console.setColour(Colour::Warning);
    console.write("w");
    console.setColour(Colour::Input);
    console.write("i");
    console.setDefaultColour();
    console.endLine();
}

}  // namespace zorvek::test
