#include "tables/BoneTable.h"

#include "base/UserMessageError.h"
#include "tables/TableFields.h"
#include "tables/TableText.h"

#include <boost/core/demangle.hpp>
#include <boost/lexical_cast/bad_lexical_cast.hpp>

#include <array>

namespace zorvek {

namespace {

// The messages have always named the table "bones.txt", although the file is bones.dat.
constexpr std::string_view tableLabel = "bones.txt";
constexpr std::string_view cannotOpenMessage = "bones.datを開けませんでした";

// Unlike the IK table's, this message names the types of the failed conversion.
std::string tokenErrorMessage(std::size_t lineNumber, const boost::bad_lexical_cast& error) {
    std::string text(badTokenText);
    text += " (";
    text += error.what();
    text += ": ";
    text += boost::core::demangle(error.source_type().name());
    text += "->";
    text += boost::core::demangle(error.target_type().name());
    text += ")";
    return tableLineMessage(tableLabel, lineNumber, text);
}

// Six fields: the first five tabs split the line, the direction's z runs to the end of it (further tabs included,
// which then fail its conversion).
BoneTableEntry parseBoneRow(std::u16string_view line, std::size_t lineNumber) {
    std::array<std::size_t, 5> tabs{};
    if (!findTabs(line, 0, tabs)) {
        throw UserMessageError(tableLineMessage(tableLabel, lineNumber, missingFieldsText));
    }
    BoneTableEntry entry;
    entry.infoName = fieldBetween(line, tabs[0] + 1, tabs[1]);
    entry.mmdName = fieldBetween(line, tabs[1] + 1, tabs[2]);
    try {
        entry.boneId = convertUint32Field(line.substr(0, tabs[0]));
        entry.direction.x = convertFloatField(fieldBetween(line, tabs[2] + 1, tabs[3]));
        entry.direction.y = convertFloatField(fieldBetween(line, tabs[3] + 1, tabs[4]));
        entry.direction.z = convertFloatField(line.substr(tabs[4] + 1));
    } catch (const boost::bad_lexical_cast& error) {
        throw UserMessageError(tokenErrorMessage(lineNumber, error));
    }
    return entry;
}

}  // namespace

BoneTable parseBoneTable(std::string_view fileBytes) {
    const auto lines = decodeTableLines(fileBytes);
    if (!lines) {
        throw UserMessageError(std::string(cannotOpenMessage));
    }
    BoneTable table;
    for (std::size_t index = 0; index < lines->size(); ++index) {
        const std::u16string& line = (*lines)[index];
        if (!isSkippedTableLine(line)) {
            table.insert(parseBoneRow(line, index + 1));
        }
    }
    return table;
}

BoneTable loadBoneTable(const std::filesystem::path& folder) {
    const Bytes bytes = readTableFile(folder / "bones.dat", cannotOpenMessage);
    return parseBoneTable(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace zorvek
