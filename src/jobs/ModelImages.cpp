#include "jobs/ModelImages.h"

#include "base/TextEncoding.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace zorvek {

namespace fs = std::filesystem;

namespace {

bool isSeparator(char16_t c) {
    return c == u'/' || c == u'\\';
}

// Characters no file name on Windows holds, which on Linux would name
// something the model's author cannot have meant.
bool isForbidden(char16_t c) {
    return c < 0x20 || c == u':' || c == u'*' || c == u'?' || c == u'"' || c == u'<' || c == u'>' || c == u'|';
}

// The folders and file of a name, "." and ".." resolved; none when the name
// leads outside or cannot be a relative path.
std::optional<std::vector<std::u16string>> relativeSteps(std::u16string_view name) {
    if (name.empty() || isSeparator(name.front())) {
        return std::nullopt;
    }
    std::vector<std::u16string> steps;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = start;
        while (end < name.size() && !isSeparator(name[end])) {
            ++end;
        }
        const std::u16string_view step = name.substr(start, end - start);
        if (std::any_of(step.begin(), step.end(), isForbidden)) {
            return std::nullopt;
        }
        if (step == u"..") {
            if (steps.empty()) {
                return std::nullopt;
            }
            steps.pop_back();
        } else if (!step.empty() && step != u".") {
            steps.emplace_back(step);
        }
        start = end + 1;
    }
    if (steps.empty()) {
        return std::nullopt;
    }
    return steps;
}

std::u16string foldedAscii(std::u16string text) {
    for (char16_t& c : text) {
        if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c - u'A' + u'a');
        }
    }
    return text;
}

// The entry of `folder` named `step`: the exact name, else the first (in
// name order, so that every run picks the same) that differs only in case.
std::optional<fs::path> findEntry(const fs::path& folder, const std::u16string& step) {
    std::error_code error;
    const fs::path exact = folder / utf8ToPath(utf16ToUtf8(step));
    if (fs::exists(exact, error)) {
        return exact;
    }
    const std::u16string wanted = foldedAscii(step);
    std::optional<fs::path> found;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const fs::path candidate = it->path();
        if (foldedAscii(pathToUtf16(candidate.filename())) == wanted && (!found || candidate < *found)) {
            found = candidate;
        }
    }
    return found;
}

bool isInside(const fs::path& target, const fs::path& folder) {
    auto step = target.begin();
    for (const fs::path& folderStep : folder) {
        if (folderStep.empty()) {
            continue;  // the trailing separator of a folder's path
        }
        if (step == target.end() || *step != folderStep) {
            return false;
        }
        ++step;
    }
    return step != target.end();
}

}  // namespace

FoundImage findModelImage(const fs::path& modelFolder, std::u16string_view name) {
    const std::optional<std::vector<std::u16string>> steps = relativeSteps(name);
    if (!steps) {
        return {ImageLookup::Outside, {}};
    }
    fs::path at = modelFolder.empty() ? fs::path(".") : modelFolder;
    for (const std::u16string& step : *steps) {
        const std::optional<fs::path> next = findEntry(at, step);
        if (!next) {
            return {ImageLookup::Missing, {}};
        }
        at = *next;
    }
    std::error_code error;
    if (!fs::is_regular_file(at, error)) {
        return {ImageLookup::Missing, {}};
    }
    // A link the model's archive brought along may lead anywhere: what it
    // names must lie under the model's folder too.
    const fs::path folder = fs::weakly_canonical(modelFolder.empty() ? fs::path(".") : modelFolder, error);
    const fs::path target = fs::weakly_canonical(at, error);
    if (error || !isInside(target, folder)) {
        return {ImageLookup::Outside, {}};
    }
    return {ImageLookup::Found, at};
}

}  // namespace zorvek
