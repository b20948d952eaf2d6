#include "VmdTestFiles.h"

#include "support/AllocationWatch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace zorvek::test {
namespace {

// A key of each kind and two show/IK frames, in either format.
BuiltVmd smallVmd(bool old) {
    VmdLayout layout;
    if (old) {
        layout.magic = "Vocaloid Motion Data file";
        layout.modelNameWidth = 10;
    }
    layout.modelName = "model";
    layout.boneKeys = {{"a", fileKey(0, {1, 2, 3})}, {"b", fileKey(4, {5, 6, 7})}};
    layout.skippedKeyCounts = {1, 1, 1, 1};
    layout.showIk = {{0, true, {{"ik", true}}}, {3, false, {{"ik", false}, {"ik2", true}}}};
    return buildVmd(layout);
}

Bytes cut(const Bytes& file, std::size_t length) {
    return Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
}

// What reading the first `length` bytes must give: no header, a broken
// header, a broken section, or (where a section's count would start, after
// the bone keys) a shorter motion.
std::string expectedAfterCut(const BuiltVmd& file, std::size_t length) {
    if (length < 25) {
        return notVmd;
    }
    const auto& starts = file.sectionStarts;
    if (length < starts[0]) {
        return broken("VMD");
    }
    const std::size_t section =
        static_cast<std::size_t>(std::upper_bound(starts.begin(), starts.end(), length) - starts.begin()) - 1;
    return section > 0 && length == starts[section] ? noUserError : broken(vmdParts[section]);
}

TEST(MalformedVmd, EveryCutOfAValidFileIsRefusedOrEndsAtASection) {
    for (const bool old : {false, true}) {
        const BuiltVmd file = smallVmd(old);
        ASSERT_EQ(readError(file.bytes), noUserError);
        for (std::size_t length = 0; length < file.bytes.size(); ++length) {
            ASSERT_EQ(readError(cut(file.bytes, length)), expectedAfterCut(file, length))
                << (old ? "old" : "0002") << " cut at " << length;
        }
    }
}

TEST(MalformedVmd, AFileWithNeitherHeaderIsNotVmd) {
    const std::vector<std::string> files = {
        "",
        "Vocaloid Motion Data",
        "Vocaloid Motion Data 0001" + std::string(100, '\0'),
        "vocaloid motion data 0002" + std::string(100, '\0'),
        "Polygon Model Data 0002" + std::string(100, '\0'),
    };
    for (const std::string& text : files) {
        EXPECT_EQ(readError(Bytes(text.begin(), text.end())), notVmd) << text;
    }
}

struct PatchCase {
    std::string label;
    std::size_t offset;
    std::string expected;
};

Bytes patched(Bytes file, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        file[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
    }
    return file;
}

TEST(MalformedVmd, HugeCountsAreRefusedBeforeAllocating) {
    const BuiltVmd file = smallVmd(false);
    const auto& starts = file.sectionStarts;
    std::vector<PatchCase> cases;
    for (std::size_t section = 0; section < vmdParts.size(); ++section) {
        cases.push_back({vmdParts[section], starts[section], broken(vmdParts[section])});
    }
    // The first show/IK frame's IK count, after its frame and shown byte.
    cases.push_back({"IK count", starts[5] + 4 + 4 + 1, broken("VMD\\表示・IK")});
    for (const std::uint32_t huge : {0x7FFFFFFFu, 0xFFFFFFFFu}) {
        for (const PatchCase& testCase : cases) {
            SCOPED_TRACE(testCase.label + " " + std::to_string(huge));
            const Bytes bytes = patched(file.bytes, testCase.offset, huge);
            resetLargestAllocation();
            const std::string error = readError(bytes);
            const std::size_t largest = largestAllocation();
            EXPECT_EQ(error, testCase.expected);
            EXPECT_LT(largest, std::size_t{64} * 1024);
        }
    }
}

// One count more than the keys that follow: the last section present runs
// past the end of the file. The bone keys come first, with one key.
TEST(MalformedVmd, ACountOneTooLargeInTheLastSectionNamesIt) {
    for (std::size_t sections = 0; sections <= 5; ++sections) {
        VmdLayout layout;
        layout.boneKeys = {{"a", fileKey(0, {})}};
        layout.skippedKeyCounts = {2, 2, 2, 2};
        layout.showIk = {{0, true, {}}, {1, true, {}}};
        layout.laterSections = sections;
        const BuiltVmd file = buildVmd(layout);
        const std::uint32_t count = sections == 0 ? 1 : 2;
        EXPECT_EQ(readError(patched(file.bytes, file.sectionStarts[sections], count + 1)), broken(vmdParts[sections]))
            << sections;
    }
}

}  // namespace
}  // namespace zorvek::test
