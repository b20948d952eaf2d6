#include "rescale/RescaleCommand.h"

#include "common/CommandGuard.h"
#include "common/ConsoleForms.h"
#include "common/FileIo.h"
#include "common/MappedFile.h"
#include "common/PathPrompts.h"
#include "common/UserMessageError.h"
#include "rescale/DffRescaler.h"

#include <boost/lexical_cast.hpp>

#include <cmath>
#include <string>
#include <vector>

namespace zorvek {

namespace fs = std::filesystem;

std::optional<float> parseScaleFactor(std::string_view answer) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    std::size_t begin = 0;
    while (begin < answer.size() && blank(answer[begin])) {
        ++begin;
    }
    std::size_t end = begin;
    while (end < answer.size() && !blank(answer[end])) {
        ++end;
    }
    float factor = 0;
    if (begin == end || !boost::conversion::try_lexical_convert(answer.substr(begin, end - begin), factor) ||
        !std::isfinite(factor)) {
        return std::nullopt;
    }
    return factor;
}

bool isSameFile(const fs::path& a, const fs::path& b) {
    if (a == b) {
        return true;
    }
    std::error_code error;
    return fs::equivalent(a, b, error) && !error;
}

namespace {

float askScaleFactor(Console& console) {
    console.endLine();
    console.write("倍率を入力してください> ");
    console.setColour(Colour::Input);
    const std::optional<std::string> answer = console.readLine();
    console.setDefaultColour();
    if (!answer) {
        console.endLine();
    }
    const std::optional<float> factor = parseScaleFactor(answer.value_or(""));
    if (!factor) {
        throw UserMessageError("倍率には数値を入力してください");
    }
    return *factor;
}

}  // namespace

void rescaleDffCommand(Console& console) {
    guardCommand(console, [&] {
        printHeading(console, "DFFの倍率を変更します");
        const std::optional<fs::path> source = chooseOpenPath(console);
        if (!source) {
            return;
        }
        MappedFile input(*source);
        console.endLine();
        const std::optional<fs::path> target = chooseSavePath(console, dffFilter, "dff", *source);
        if (!target) {
            return;
        }
        if (isSameFile(*source, *target)) {
            throw UserMessageError("入力と出力に同じファイルが指定されています");
        }
        printLine(console, "出力しています...");
        const float factor = askScaleFactor(console);
        const std::vector<ByteRange> changed = rescaleDff(input.bytes(), factor, warningsTo(console));
        printLine(console, "読み込みが完了しました");
        writePatchedCopyAtomically(*target, *source, input.bytes(), changed);
        printLine(console, "出力が完了しました");
    });
}

}  // namespace zorvek
