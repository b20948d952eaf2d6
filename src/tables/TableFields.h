#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zorvek {

// Finds tabs.size() tabs, the first at or after `from`, each further one the first after the previous one.
// Returns false, leaving `tabs` partly written, when the line runs out first.
bool findTabs(std::u16string_view line, std::size_t from, std::span<std::size_t> tabs);

// The text between two positions of a line, the ends excluded.
std::u16string_view fieldBetween(std::u16string_view line, std::size_t afterTab, std::size_t beforeTab);

// Number fields go through Boost.LexicalCast from the wide text, so the whole field must be the number, without
// blanks. They throw boost::bad_lexical_cast; a '-' on an unsigned field wraps modulo 2^32.
std::uint32_t convertUint32Field(std::u16string_view field);
std::int32_t convertInt32Field(std::u16string_view field);
float convertFloatField(std::u16string_view field);

// Degrees to radians with the single-precision factor the tables have always used.
float degreesToRadians(float degrees);

// "<table> 行<N>: <text>", the form of every per-line message of the tables.
std::string tableLineMessage(std::string_view tableLabel, std::size_t lineNumber, std::string_view text);

inline constexpr std::string_view missingFieldsText = "要素が足りません";
inline constexpr std::string_view badTokenText = "不正なトークンが含まれています";

}  // namespace zorvek
