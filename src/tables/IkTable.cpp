#include "tables/IkTable.h"

#include "base/UserMessageError.h"
#include "tables/TableFields.h"
#include "tables/TableText.h"

#include <boost/lexical_cast/bad_lexical_cast.hpp>

#include <array>
#include <span>

namespace zorvek {

namespace {

// The messages have always named the table "iks.txt", although the file is iks.dat.
constexpr std::string_view tableLabel = "iks.txt";
constexpr std::string_view cannotOpenMessage = "iks.datを開けませんでした";

constexpr std::size_t headerTabCount = 9;
constexpr std::size_t linkFieldCount = 7;

[[noreturn]] void throwMissingFields(std::size_t lineNumber) {
    throw UserMessageError(tableLineMessage(tableLabel, lineNumber, missingFieldsText));
}

// Unlike the bone table's, this message carries only the library's description.
std::string tokenErrorMessage(std::size_t lineNumber, const boost::bad_lexical_cast& error) {
    std::string text(badTokenText);
    text += " (";
    text += error.what();
    text += ")";
    return tableLineMessage(tableLabel, lineNumber, text);
}

float convertAngleField(std::u16string_view field) {
    return degreesToRadians(convertFloatField(field));
}

// `tabs` are the six tabs between the link's seven fields; the seventh field stops at `end`.
IkLink convertLink(std::u16string_view line, std::size_t start, std::span<const std::size_t> tabs, std::size_t end) {
    IkLink link;
    link.boneId = convertUint32Field(fieldBetween(line, start, tabs[0]));
    link.lowerLimit.x = convertAngleField(fieldBetween(line, tabs[0] + 1, tabs[1]));
    link.lowerLimit.y = convertAngleField(fieldBetween(line, tabs[1] + 1, tabs[2]));
    link.lowerLimit.z = convertAngleField(fieldBetween(line, tabs[2] + 1, tabs[3]));
    link.upperLimit.x = convertAngleField(fieldBetween(line, tabs[3] + 1, tabs[4]));
    link.upperLimit.y = convertAngleField(fieldBetween(line, tabs[4] + 1, tabs[5]));
    link.upperLimit.z = convertAngleField(fieldBetween(line, tabs[5] + 1, end));
    return link;
}

// Each link starts after the tab that ends the previous one and is ended by the tab after its seventh field; the
// last link may run to the end of the line instead, and whatever follows its ending tab is ignored, as are links
// beyond the count. A link that runs out of tabs where it needs one (any link short of its seventh field, or a
// link other than the last without its ending tab) rejects the row as short of fields: the search never starts
// again from the beginning of the line. The list grows link by link, so a count far beyond what the line holds
// fails at the first missing tab instead of sizing anything.
std::vector<IkLink> parseLinks(std::u16string_view line, std::size_t start, std::int32_t count,
                               std::size_t lineNumber) {
    std::vector<IkLink> links;
    for (std::int32_t index = 0; index < count; ++index) {
        std::array<std::size_t, linkFieldCount> tabs{};
        const std::span<std::size_t> innerTabs = std::span(tabs).first(linkFieldCount - 1);
        if (!findTabs(line, start, innerTabs)) {
            throwMissingFields(lineNumber);
        }
        const bool ended = findTabs(line, innerTabs.back() + 1, std::span(tabs).last(1));
        if (!ended && index != count - 1) {
            throwMissingFields(lineNumber);
        }
        const std::size_t end = ended ? tabs.back() : line.size();
        links.push_back(convertLink(line, start, innerTabs, end));
        start = end + 1;
    }
    return links;
}

std::u16string_view headerField(std::u16string_view line, const std::array<std::size_t, headerTabCount>& tabs,
                                std::size_t index) {
    return fieldBetween(line, tabs[index - 1] + 1, tabs[index]);
}

// Nine header fields, each ended by a tab (the link count too, even when it is 0), then the links.
IkTableEntry parseIkRow(std::u16string_view line, std::size_t lineNumber) {
    std::array<std::size_t, headerTabCount> tabs{};
    if (!findTabs(line, 0, tabs)) {
        throwMissingFields(lineNumber);
    }
    IkTableEntry entry;
    entry.ikName = line.substr(0, tabs[0]);
    try {
        entry.parentIk = convertInt32Field(headerField(line, tabs, 1));
        entry.offset.x = convertFloatField(headerField(line, tabs, 2));
        entry.offset.y = convertFloatField(headerField(line, tabs, 3));
        entry.offset.z = convertFloatField(headerField(line, tabs, 4));
        entry.targetBoneId = convertUint32Field(headerField(line, tabs, 5));
        entry.loopCount = convertUint32Field(headerField(line, tabs, 6));
        entry.limitAngle = convertAngleField(headerField(line, tabs, 7));
        const std::int32_t linkCount = convertInt32Field(headerField(line, tabs, 8));
        // A negative count cannot describe any chain; the row is short of the links it claims.
        if (linkCount < 0) {
            throwMissingFields(lineNumber);
        }
        entry.links = parseLinks(line, tabs.back() + 1, linkCount, lineNumber);
    } catch (const boost::bad_lexical_cast& error) {
        throw UserMessageError(tokenErrorMessage(lineNumber, error));
    }
    return entry;
}

}  // namespace

IkTable parseIkTable(std::string_view fileBytes) {
    const auto lines = decodeTableLines(fileBytes);
    if (!lines) {
        throw UserMessageError(std::string(cannotOpenMessage));
    }
    IkTable table;
    for (std::size_t index = 0; index < lines->size(); ++index) {
        const std::u16string& line = (*lines)[index];
        if (!isSkippedTableLine(line)) {
            table.push_back(parseIkRow(line, index + 1));
        }
    }
    return table;
}

IkTable loadIkTable(const std::filesystem::path& folder) {
    const Bytes bytes = readTableFile(folder / "iks.dat", cannotOpenMessage);
    return parseIkTable(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace zorvek
