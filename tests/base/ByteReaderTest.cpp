#include "base/ByteReader.h"
#include "support/ExpectError.h"

#include "base/FileIo.h"

#include <gtest/gtest.h>

#include <string>

namespace zorvek {
namespace {

// The error names where the reader stood, so a test can tell which read failed.
ByteReader readerOver(const Bytes& bytes) {
    return ByteReader(bytes, [] { return UserMessageError("past the end"); });
}

TEST(ByteReader, ReadsLittleEndianValuesInOrder) {
    const Bytes bytes{0x81, 0x34, 0x12, 0xFE, 0xFF, 0x78, 0x56, 0x34, 0x12,
                      0xFF, 0xFF, 0xFF, 0x80, 0x00, 0x00, 0xC0, 0x3F};
    ByteReader input = readerOver(bytes);
    EXPECT_EQ(input.u8(), 0x81);
    EXPECT_EQ(input.u16(), 0x1234);
    EXPECT_EQ(input.i16(), -2);
    EXPECT_EQ(input.u32(), 0x12345678u);
    EXPECT_EQ(input.i32(), -0x7F000001);
    EXPECT_EQ(input.f32(), 1.5f);
    EXPECT_TRUE(input.atEnd());
    EXPECT_EQ(input.position(), bytes.size());
}

TEST(ByteReader, TextFieldsEndAtTheFirstNulAndSkipTheRest) {
    const Bytes bytes{'w', 'a', 'l', 'k', 0, 'x', 'y', 'z', 'a', 'b', 'c', 'd', 7};
    ByteReader input = readerOver(bytes);
    EXPECT_EQ(input.text(8), "walk");
    EXPECT_EQ(input.position(), 8u);
    EXPECT_EQ(input.text(4), "abcd");  // a field without NUL is all text
    EXPECT_EQ(input.u8(), 7);
}

struct OverrunCase {
    const char* label;
    void (*read)(ByteReader&);
};

// Each read needs one byte more than the three that remain after one is taken.
const OverrunCase overrunCases[] = {
    {"u32", [](ByteReader& r) { r.u32(); }},
    {"i32", [](ByteReader& r) { r.i32(); }},
    {"f32", [](ByteReader& r) { r.f32(); }},
    {"skip", [](ByteReader& r) { r.skip(4); }},
    {"view", [](ByteReader& r) { r.view(4); }},
    {"text", [](ByteReader& r) { r.text(4); }},
    {"sub", [](ByteReader& r) { r.sub(4); }},
    {"require", [](ByteReader& r) { r.require(4); }},
    {"requireCount", [](ByteReader& r) { r.requireCount(2, 2); }},
    {"requireCount of 2^64 - 1", [](ByteReader& r) { r.requireCount(~std::uint64_t{0}, 16); }},
    {"skip 2^64 - 1", [](ByteReader& r) { r.skip(~std::uint64_t{0}); }},
};

TEST(ByteReader, EveryReadPastTheEndThrowsTheCallersErrorAndMovesNothing) {
    const Bytes bytes{1, 2, 3, 4};
    for (const OverrunCase& overrun : overrunCases) {
        SCOPED_TRACE(overrun.label);
        ByteReader input = readerOver(bytes);
        input.u8();
        EXPECT_USER_ERROR(overrun.read(input), "past the end");
        EXPECT_EQ(input.position(), 1u);
        EXPECT_EQ(input.u16(), 0x0302);  // the bytes are still there to read
    }
}

TEST(ByteReader, ReadsThatFitExactlySucceed) {
    const Bytes bytes{1, 2, 3, 4};
    ByteReader input = readerOver(bytes);
    input.requireCount(2, 2);
    input.requireCount(0, 16);
    input.requireCount(7, 0);
    input.require(4);
    input.skip(4);
    EXPECT_EQ(input.remaining(), 0u);
    EXPECT_USER_ERROR(input.u8(), "past the end");
}

TEST(ByteReader, ASubReaderSeesOnlyItsBytesAndFailsWithTheErrorOfTheMoment) {
    const Bytes bytes{1, 2, 3, 4, 5, 6};
    std::string where = "outer";
    ByteReader input(bytes, [&where] { return UserMessageError("broken at " + where); });
    input.u8();
    ByteReader inner = input.sub(3);
    EXPECT_EQ(input.position(), 4u);
    EXPECT_EQ(inner.size(), 3u);
    EXPECT_EQ(inner.u16(), 0x0302);
    where = "inner";
    EXPECT_USER_ERROR(inner.u16(), "broken at inner");
    EXPECT_EQ(inner.u8(), 4);
    EXPECT_USER_ERROR(inner.fail(), "broken at inner");
}

}  // namespace
}  // namespace zorvek
