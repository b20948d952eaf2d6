// Many motions of one IFP, as the menu and the command line write them: the
// replace question answered once, and one animation's failure that stops no other.

#include "jobs/MotionBatch.h"

#include "base/TextEncoding.h"
#include "base/UserMessageError.h"
#include "ifp/IfpReader.h"
#include "jobs/Failures.h"
#include "support/MotionFiles.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zorvek {
namespace {

namespace fs = std::filesystem;
using test::filesIn;
using test::TempDir;

const fs::path sourceDir = ZORVEK_SOURCE_DIR;
const fs::path samples = sourceDir / "samples";

// The committed sample's model and its four animations (walk, wave, nod, look).
class MotionBatchTest : public ::testing::Test {
protected:
    MotionBatchTest()
        : tables(loadConversionTables(sourceDir / "data")),
          model(DffConversion::fromFile(samples / "zorvek_sample.dff", [](const std::string&) {})
                    .prepare(ConversionMode::NamesAndAxes, tables)),
          file(readIfpFile(samples / "zorvek_sample.ifp")) {
        target.emplace(model, tables);
        fs::create_directories(out);
    }

    // Every line the batch gives, in order: progress as it is, warnings and
    // failures marked; `failOn` is a progress line whose report throws a library's error.
    BatchCounts write(const MotionBatch& batch, ExistingOutputs answer, const std::string& failOn = "") {
        const JobReport report{.progress =
                                   [&](std::string_view line) {
                                       if (line == failOn) {
                                           throw std::runtime_error("disk on fire");
                                       }
                                       lines.emplace_back(line);
                                   },
                               .warn = [&](const std::string& message) { lines.push_back("warning " + message); }};
        return writeMotionFiles(
            *target, file, batch,
            [&](std::size_t existing) {
                asked.push_back(existing);
                return answer;
            },
            report, [&](const std::exception& error) { lines.push_back("failed " + describeFailure(error)); });
    }

    MotionBatch everyAnimation() const {
        return MotionBatch{.selection = selectAnimations(file, {}),
                           .folder = out,
                           .inputs = {samples / "zorvek_sample.ifp", samples / "zorvek_sample.dff"}};
    }

    std::string written(const std::string& name) const { return pathToUtf8(out / (name + ".vmd")); }

    Bytes expectedVmd(std::size_t animation) const {
        const ByteBlock vmd = target->buildVmd(file.animations.at(animation), [](const std::string&) {});
        return Bytes(vmd.begin(), vmd.end());
    }

    TempDir folder;
    fs::path out = folder / "out";
    ConversionTables tables;
    PreparedConversion model;
    IfpFile file;
    std::optional<MotionTarget> target;
    std::vector<std::string> lines;
    std::vector<std::size_t> asked;
};

void expectCounts(const BatchCounts& counts, const BatchCounts& expected) {
    EXPECT_EQ(counts.succeeded, expected.succeeded);
    EXPECT_EQ(counts.failed, expected.failed);
    EXPECT_EQ(counts.skipped, expected.skipped);
}

struct ExistingCase {
    const char* label;
    ExistingOutputs answer;
    std::string nodLine;  // what the batch says of nod.vmd, which exists; NOD stands for its path
    BatchCounts counts;
    bool replaced;
};

class MotionBatchExisting : public MotionBatchTest, public ::testing::WithParamInterface<ExistingCase> {};

TEST_P(MotionBatchExisting, AreDealtWithAsTheOneAnswerSays) {
    const ExistingCase& c = GetParam();
    folder.write("out/nod.vmd", std::string_view("old"));
    const BatchCounts counts = write(everyAnimation(), c.answer);
    const std::string nodLine = c.nodLine.substr(0, c.nodLine.find("NOD")) + written("nod");
    EXPECT_EQ(lines, (std::vector<std::string>{"出力しています...", written("walk"), written("wave"), nodLine,
                                               written("look")}));
    EXPECT_EQ(asked, std::vector<std::size_t>{1});
    expectCounts(counts, c.counts);
    EXPECT_EQ(test::readBytes(out / "nod.vmd"), c.replaced ? expectedVmd(2) : Bytes({'o', 'l', 'd'}));
    EXPECT_EQ(test::readBytes(out / "look.vmd"), expectedVmd(3));
}

INSTANTIATE_TEST_SUITE_P(
    Answers, MotionBatchExisting,
    ::testing::Values(ExistingCase{"Replace", ExistingOutputs::Replace, "NOD", {.succeeded = 4}, true},
                      ExistingCase{"Keep",
                                   ExistingOutputs::Keep,
                                   "warning 既にあるファイルは残しました: NOD",
                                   {.succeeded = 3, .skipped = 1},
                                   false},
                      ExistingCase{"Refuse",
                                   ExistingOutputs::Refuse,
                                   "failed 出力ファイルが既に存在します: NOD",
                                   {.succeeded = 3, .failed = 1},
                                   false}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(MotionBatchTest, AnUnexpectedErrorInOneAnimationStopsNoOther) {
    const BatchCounts counts = write(everyAnimation(), ExistingOutputs::Keep, written("wave"));
    EXPECT_EQ(lines, (std::vector<std::string>{"出力しています...", written("walk"),
                                               "failed 予期しないエラーが発生しました (disk on fire)", written("nod"),
                                               written("look")}));
    expectCounts(counts, {.succeeded = 3, .failed = 1});
    EXPECT_EQ(test::readBytes(out / "look.vmd"), expectedVmd(3));
}

TEST_F(MotionBatchTest, ACancelledQuestionWritesNothing) {
    const MotionBatch batch = everyAnimation();
    EXPECT_THROW(writeMotionFiles(
                     *target, file, batch, [](std::size_t) -> ExistingOutputs { throw OperationCancelled(); },
                     JobReport{.progress = [&](std::string_view line) { lines.emplace_back(line); }},
                     [&](const std::exception&) { lines.emplace_back("failed"); }),
                 OperationCancelled);
    EXPECT_EQ(lines, std::vector<std::string>{});
    EXPECT_EQ(filesIn(out), 0u);
}

// The game plays only the first of a name; two names that give one file name leave it to the first.
TEST_F(MotionBatchTest, HiddenAndCollidingAnimations) {
    file.animations[0].name = "a/b";
    file.animations[1].name = "a:b";
    file.animations[2].name = "A/B";
    const BatchCounts counts = write(everyAnimation(), ExistingOutputs::Refuse);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "出力しています...",
                         "warning 同じ名前のアニメーションは最初のものだけを出力します。1 件を飛ばしました: A/B",
                         written("a_b"), "failed 出力ファイルが他の入力と重なります: a/b (1番目), a:b (2番目)",
                         written("look")}));
    EXPECT_EQ(asked, std::vector<std::size_t>{0});
    expectCounts(counts, {.succeeded = 2, .failed = 1, .skipped = 1});
    EXPECT_EQ(test::readBytes(out / "a_b.vmd"), expectedVmd(0));
    EXPECT_EQ(filesIn(out), 2u);
}

TEST_F(MotionBatchTest, OneAnimationToTheFileGiven) {
    MotionBatch batch = everyAnimation();
    batch.selection = selectAnimations(file, {"nod"});
    batch.output = folder / "chosen.vmd";
    const BatchCounts counts = write(batch, ExistingOutputs::Refuse);
    EXPECT_EQ(lines, (std::vector<std::string>{"出力しています...", pathToUtf8(folder / "chosen.vmd")}));
    expectCounts(counts, {.succeeded = 1});
    EXPECT_EQ(test::readBytes(folder / "chosen.vmd"), expectedVmd(2));
}

TEST_F(MotionBatchTest, AnInputIsNeverWrittenOverWhateverTheAnswer) {
    const fs::path dff = folder.write("hero.dff", test::readBytes(samples / "zorvek_sample.dff"));
    MotionBatch batch = everyAnimation();
    batch.selection = selectAnimations(file, {"walk"});
    batch.output = dff;
    batch.inputs = {samples / "zorvek_sample.ifp", dff};
    const BatchCounts counts = write(batch, ExistingOutputs::Replace);
    EXPECT_EQ(lines,
              (std::vector<std::string>{"出力しています...", "failed 入力と出力に同じファイルが指定されています"}));
    expectCounts(counts, {.failed = 1});
    EXPECT_EQ(test::readBytes(dff), test::readBytes(samples / "zorvek_sample.dff"));
}

}  // namespace
}  // namespace zorvek
