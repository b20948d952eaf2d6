#pragma once

#include <string_view>

namespace zorvek {

// Blanks around typed answers: spaces, tabs and the line-end and page
// characters that a pasted or piped line may carry.
constexpr bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

constexpr std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The first blank-separated word; empty when the text holds none.
constexpr std::string_view firstWord(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size() && isBlank(text[begin])) {
        ++begin;
    }
    std::size_t end = begin;
    while (end < text.size() && !isBlank(text[end])) {
        ++end;
    }
    return text.substr(begin, end - begin);
}

}  // namespace zorvek
