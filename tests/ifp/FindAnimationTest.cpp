#include "IfpTestSupport.h"
#include "support/ExpectError.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace zorvek::test {
namespace {

IfpFile namedAnimations() {
    IfpFile file;
    file.animations = {{"walk_civi", {}}, {"WALK_CIVI", {}}, {"run_civi", {}}, {"Äpfel", {}}, {" sit\t", {}}, {"", {}}};
    return file;
}

struct FindCase {
    const char* typed;
    int expectedIndex;  // -1: none
};

TEST(FindAnimation, IgnoresAsciiCaseAndTheBlanksAroundEitherName) {
    const IfpFile file = namedAnimations();
    const FindCase cases[] = {
        {"walk_civi", 0}, {"Walk_Civi", 0}, {" \twalk_civi \r\n", 0},
        {"RUN_civi", 2},  {"run", -1},      {"run_civi_", -1},
        {"", -1},         {" ", -1},        {"Äpfel", 3},
        {"äPFEL", -1},    {"SIT", 4},       {" sit\t", 4},
    };
    for (const FindCase& testCase : cases) {
        const IfpAnimation* found = findAnimation(file, testCase.typed);
        const IfpAnimation* expected = testCase.expectedIndex < 0 ? nullptr : &file.animations[testCase.expectedIndex];
        EXPECT_EQ(found, expected) << testCase.typed;
    }
}

TEST(AnimationDuration, IsTheLatestLastKeyOfAnyTrack) {
    IfpAnimation animation{"a", {}};
    EXPECT_EQ(animation.duration(), 0.0f);
    animation.tracks = {track("a", 0, false, {key({}, {}, 0.5f), key({}, {}, 1.5f)}), track("b", 1, false, {}),
                        track("c", 2, false, {key({}, {}, 0), key({}, {}, 2.25f)})};
    EXPECT_EQ(animation.duration(), 2.25f);
}

TEST(ReadIfpFile, ReadsTheFileOrReportsThatItCannotBeOpened) {
    TempDir folder;
    const IfpFile file = withoutStrayTranslations(sampleFile(), IfpFormat::Anpk);
    const auto path = folder.write("ped.ifp", buildAnpk(file, true));
    EXPECT_EQ(readIfpFile(path), file);
    EXPECT_USER_ERROR(readIfpFile(folder / "missing.ifp"), "ファイルを開けませんでした");
    EXPECT_USER_ERROR(readIfpFile(folder.write("text.ifp", std::string_view("ANP3"))), broken("ANP3"));
}

}  // namespace
}  // namespace zorvek::test
