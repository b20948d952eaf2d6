#include "image/ImageFormat.h"

#include <array>
#include <utility>

namespace zorvek {

namespace {

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringAsciiCase(std::string_view text, std::string_view lower) {
    if (text.size() != lower.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (lowerAscii(text[i]) != lower[i]) {
            return false;
        }
    }
    return true;
}

constexpr std::array<std::pair<std::string_view, ImageFormat>, 3> extensions{{
    {".png", ImageFormat::Png},
    {".bmp", ImageFormat::Bmp},
    {".tga", ImageFormat::Tga},
}};

}  // namespace

std::optional<ImageFormat> imageFormatForExtension(std::string_view extension) {
    for (const auto& [text, format] : extensions) {
        if (equalsIgnoringAsciiCase(extension, text)) {
            return format;
        }
    }
    return std::nullopt;
}

}  // namespace zorvek
