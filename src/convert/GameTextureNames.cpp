#include "convert/GameTextureNames.h"

#include <algorithm>
#include <set>

namespace zorvek {

namespace {

std::u16string_view fileStem(std::u16string_view path) {
    const std::size_t slash = path.find_last_of(u"/\\");
    if (slash != std::u16string_view::npos) {
        path.remove_prefix(slash + 1);
    }
    const std::size_t dot = path.rfind(u'.');
    if (dot != std::u16string_view::npos && dot > 0) {
        path = path.substr(0, dot);
    }
    return path;
}

bool isKept(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' || c == u'-';
}

// Runs of other characters become one '_'; a UTF-16 surrogate pair is one character.
std::string asciiName(std::u16string_view stem, bool& changed) {
    std::string name;
    for (char16_t c : stem) {
        if (isKept(c)) {
            name += static_cast<char>(c);
        } else {
            changed = true;
            if (!name.empty() && name.back() != '_' && !(c >= 0xDC00 && c <= 0xDFFF)) {
                name += '_';
            }
        }
    }
    while (!name.empty() && name.back() == '_' && changed) {
        name.pop_back();
    }
    return name;
}

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return text;
}

}  // namespace

std::vector<std::string> gameTextureNames(const std::vector<std::u16string>& texturePaths, const WarningSink& warn) {
    std::vector<std::string> names;
    std::set<std::string> taken;
    std::size_t renamed = 0;
    for (std::size_t index = 0; index < texturePaths.size(); ++index) {
        bool changed = false;
        std::string base = asciiName(fileStem(texturePaths[index]), changed);
        const bool hasLetter = std::any_of(base.begin(), base.end(), [](char c) { return c != '_' && c != '-'; });
        if (!hasLetter) {
            base = std::to_string(index);
            base.insert(0, "tex");
            changed = true;
        }
        renamed += changed ? 1 : 0;
        base.resize(std::min(base.size(), gameTextureNameLimit));
        std::string name = base;
        for (int number = 2; taken.contains(lowered(name)); ++number) {
            std::string suffix = std::to_string(number);
            suffix.insert(suffix.begin(), '_');
            name = base;
            name.resize(std::min(base.size(), gameTextureNameLimit - suffix.size()));
            name.append(suffix);
        }
        taken.insert(lowered(name));
        names.push_back(std::move(name));
    }
    if (renamed > 0) {
        warn("テクスチャ名をゲームで使える英数字の名前にしました (" + std::to_string(renamed) + " 件)");
    }
    return names;
}

}  // namespace zorvek
