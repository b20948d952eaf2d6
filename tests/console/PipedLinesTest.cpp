#include "console/PipedLines.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace zorvek {
namespace {

// Input that arrives in the given blocks, as a pipe delivers it.
class BlockSource {
public:
    explicit BlockSource(std::vector<std::string> blocks) : blocks_(std::move(blocks)) {}

    std::optional<std::string> line(std::size_t longest) {
        return readPipedLine(
            [this]() -> std::string_view {
                while (block_ < blocks_.size() && next_ == blocks_[block_].size()) {
                    ++block_, next_ = 0;
                }
                return block_ < blocks_.size() ? std::string_view(blocks_[block_]).substr(next_) : std::string_view();
            },
            [this](std::size_t n) { next_ += n; }, longest);
    }

private:
    std::vector<std::string> blocks_;
    std::size_t block_ = 0;
    std::size_t next_ = 0;
};

struct PipedCase {
    const char* name;
    std::vector<std::string> blocks;
    std::size_t longest;
    std::vector<std::optional<std::string>> lines;  // read in turn, the last one nothing
};

class PipedLines : public ::testing::TestWithParam<PipedCase> {};

TEST_P(PipedLines, AreReadInTurn) {
    BlockSource source(GetParam().blocks);
    for (const std::optional<std::string>& expected : GetParam().lines) {
        EXPECT_EQ(source.line(GetParam().longest), expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, PipedLines,
    ::testing::Values(PipedCase{"Empty", {}, 100, {std::nullopt}},
                      PipedCase{"OneBlock", {"a\nbc\n"}, 100, {"a", "bc", std::nullopt}},
                      PipedCase{"SplitAcrossBlocks", {"ab", "c\r", "\nd\n"}, 100, {"abc", "d", std::nullopt}},
                      PipedCase{"EmptyLines", {"\n\r\n"}, 100, {"", "", std::nullopt}},
                      PipedCase{"LastLineWithoutEnd", {"x\ny"}, 100, {"x", "y", std::nullopt}},
                      PipedCase{"OverlongLineIsCut", {"abcdef", "gh\nnext\n"}, 4, {"abcd", "next", std::nullopt}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zorvek
