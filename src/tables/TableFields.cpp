#include "tables/TableFields.h"

#include <boost/lexical_cast.hpp>

#include <cmath>
#include <typeinfo>

namespace zorvek {

namespace {

// Code unit by code unit, as the wide text stream delivers them.
std::wstring toWide(std::u16string_view field) {
    return std::wstring(field.begin(), field.end());
}

}  // namespace

bool findTabs(std::u16string_view line, std::size_t from, std::span<std::size_t> tabs) {
    for (std::size_t& tab : tabs) {
        tab = line.find(u'\t', from);
        if (tab == std::u16string_view::npos) {
            return false;
        }
        from = tab + 1;
    }
    return true;
}

std::u16string_view fieldBetween(std::u16string_view line, std::size_t afterTab, std::size_t beforeTab) {
    return line.substr(afterTab, beforeTab - afterTab);
}

std::uint32_t convertUint32Field(std::u16string_view field) {
    return boost::lexical_cast<std::uint32_t>(toWide(field));
}

std::int32_t convertInt32Field(std::u16string_view field) {
    return boost::lexical_cast<std::int32_t>(toWide(field));
}

float convertFloatField(std::u16string_view field) {
    const std::wstring wide = toWide(field);
    const float value = boost::lexical_cast<float>(wide);
    // LexicalCast also reads "inf" and "nan"; a direction or limit like that would poison every matrix built
    // from it, so such a field is a bad token like any other text that is not a plain number.
    if (!std::isfinite(value)) {
        throw boost::bad_lexical_cast(typeid(wide), typeid(float));
    }
    return value;
}

float degreesToRadians(float degrees) {
    constexpr float radiansPerDegree = 0.0174532924f;
    return degrees * radiansPerDegree;
}

std::string tableLineMessage(std::string_view tableLabel, std::size_t lineNumber, std::string_view text) {
    std::string message(tableLabel);
    message += " 行";
    message += std::to_string(lineNumber);
    message += ": ";
    message += text;
    return message;
}

}  // namespace zorvek
