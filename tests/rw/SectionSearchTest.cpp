#include "RwTestSupport.h"
#include "rw/Section.h"
#include "rw/SkinSection.h"
#include "support/dff/DffBuilder.h"

#include <gtest/gtest.h>

#include <optional>

namespace zorvek::test {
namespace {

constexpr std::uint32_t foreignStamp = 0x1C020037;
constexpr std::uint32_t otherType = 0x253F2F3;

Chunk stamped(Chunk chunk, std::uint32_t version) {
    chunk.version = version;
    return chunk;
}

Chunk sized(Chunk chunk, std::uint32_t size) {
    chunk.size = size;
    return chunk;
}

Chunk clumpWith(std::vector<Chunk> children) {
    return containerChunk(SectionType::Clump, std::move(children));
}

struct TopLevelCase {
    const char* label;
    Bytes file;
    // The payload offset of the Clump found, or nothing when opening fails with the message.
    std::optional<std::uint64_t> payloadOffset;
    std::string message;
};

std::vector<TopLevelCase> topLevelCases() {
    const Chunk other = leafChunk(otherType, bytesOf("abcd"));
    const Chunk clump = clumpWith({structChunk(bytesOf("1234"))});
    Bytes truncatedHeader = serialize(clump);
    truncatedHeader.resize(11);
    return {
        {"empty file", {}, std::nullopt, "Clumpが見つかりません"},
        {"only other types", serialize({other, containerChunk(SectionType::FrameList, {})}), std::nullopt,
         "Clumpが見つかりません"},
        {"first chunk", serialize(clump), 12, ""},
        {"after two siblings", serialize({other, containerChunk(SectionType::Geometry, {}), clump}), 16 + 12 + 12, ""},
        {"sibling with a foreign stamp", serialize({stamped(other, foreignStamp), clump}), 16 + 12, ""},
        {"sibling with a zero stamp", serialize({stamped(other, 0), clump}), 16 + 12, ""},
        {"wanted with a foreign stamp", serialize(stamped(clump, foreignStamp)), std::nullopt,
         "不明なRW Version IDです"},
        {"wanted with the stamp one off", serialize(stamped(clump, acceptedVersionStamp - 1)), std::nullopt,
         "不明なRW Version IDです"},
        {"foreign stamp after a sibling", serialize({other, stamped(clump, 0x0003FFFF)}), std::nullopt,
         "不明なRW Version IDです"},
        {"children of a passed sibling are not visited", serialize(containerChunk(SectionType::Geometry, {clump})),
         std::nullopt, "Clumpが見つかりません"},
        {"header cut short", truncatedHeader, std::nullopt, "Clumpが見つかりません"},
        {"sibling running past the end of the file", serialize(sized(other, 1000)), std::nullopt,
         "Clumpが見つかりません"},
        {"wanted running past the end of the file", serialize(sized(clump, 1000)), std::nullopt,
         "ファイルが壊れています (Clump)"},
    };
}

TEST(SectionSearch, OpensAtTheTopLevel) {
    for (const TopLevelCase& testCase : topLevelCases()) {
        SCOPED_TRACE(testCase.label);
        SectionInput input(testCase.file);
        if (testCase.payloadOffset) {
            const Section<SectionType::Clump> clump(input);
            EXPECT_EQ(clump.payloadOffset(), *testCase.payloadOffset);
            EXPECT_EQ(input.tell(), *testCase.payloadOffset);
            EXPECT_EQ(clump.header().version, acceptedVersionStamp);
            EXPECT_EQ(input.innermostSection(), &clump);
        } else {
            EXPECT_EQ(userErrorOf([&] { Section<SectionType::Clump> clump(input); }), testCase.message);
            EXPECT_EQ(input.innermostSection(), nullptr);
        }
    }
}

TEST(SectionSearch, StopsAtTheEndOfTheParentEvenWhenTheWantedTypeFollows) {
    const Bytes file =
        serialize({clumpWith({structChunk(bytesOf("1234"))}), containerChunk(SectionType::FrameList, {})});
    SectionInput input(file);
    const Section<SectionType::Clump> clump(input);
    EXPECT_EQ(userErrorOf([&] { Section<SectionType::FrameList> frames(input); }), "Clump\\FrameListが見つかりません");
    EXPECT_EQ(input.innermostSection(), &clump);
}

TEST(SectionSearch, AChildRunningPastItsParentEndsTheNextSearch) {
    // The Struct claims 100 bytes, reaching past the FrameList that really follows it.
    const Chunk clump =
        clumpWith({sized(structChunk(bytesOf("1234")), 100), containerChunk(SectionType::FrameList, {})});
    const Bytes file = serialize({clump, leafChunk(otherType, Bytes(200, 0))});
    SectionInput input(file);
    const Section<SectionType::Clump> opened(input);
    EXPECT_EQ(userErrorOf([&] { Section<SectionType::FrameList> frames(input); }), "Clump\\FrameListが見つかりません");
}

TEST(SectionSearch, ReadsInsideAnOverrunningChildStopAtTheParentsEnd) {
    const Chunk clump = clumpWith({sized(structChunk(bytesOf("12345678")), 100)});
    const Bytes file = serialize({clump, leafChunk(otherType, Bytes(200, 0))});
    SectionInput input(file);
    const Section<SectionType::Clump> opened(input);
    const Section<SectionType::Struct> data(input);
    EXPECT_EQ(data.size(), 100u);
    EXPECT_EQ(input.bytesLeftInSection(), 8u);
    input.readU32();
    input.readU32();
    EXPECT_EQ(userErrorOf([&] { input.readU32(); }), "ファイルが壊れています (Clump\\Struct)");
}

TEST(SectionSearch, TellStandsOnThePayloadAfterOpeningAndAtItsEndAfterClosing) {
    const Chunk clump = clumpWith({leafChunk(otherType, bytesOf("xx")), structChunk(bytesOf("0123456789")),
                                   containerChunk(SectionType::FrameList, {})});
    const Bytes file = serialize(clump);
    SectionInput input(file);
    const Section<SectionType::Clump> opened(input);
    EXPECT_EQ(input.tell(), 12u);
    {
        const Section<SectionType::Struct> data(input);
        EXPECT_EQ(data.payloadOffset(), 12u + 14u + 12u);
        EXPECT_EQ(input.tell(), data.payloadOffset());
        input.readU32();
    }
    EXPECT_EQ(input.tell(), 12u + 14u + 22u);
    {
        const Section<SectionType::FrameList> frames(input);
        EXPECT_EQ(input.tell(), 12u + 14u + 22u + 12u);
    }
    EXPECT_EQ(input.innermostSection(), &opened);
}

TEST(SectionSearch, NotFoundNamesEveryOpenSection) {
    const Chunk extension = containerChunk(SectionType::Extension, {binMeshChunk(0, {})});
    const Chunk geometry = containerChunk(SectionType::Geometry, {extension});
    const Bytes file = serialize(clumpWith({containerChunk(SectionType::GeometryList, {geometry})}));
    SectionInput input(file);
    const Section<SectionType::Clump> clump(input);
    const Section<SectionType::GeometryList> list(input);
    const Section<SectionType::Geometry> opened(input);
    const Section<SectionType::Extension> plugins(input);
    EXPECT_EQ(input.openSectionPath(), "Clump\\GeometryList\\Geometry\\Extension");
    EXPECT_EQ(userErrorOf([&] { Section<SectionType::SkinPLG> skin(input); }),
              "Clump\\GeometryList\\Geometry\\Extension\\SkinPLGが見つかりません");
}

TEST(SectionSearch, AnErrorUnwindsEveryOpenSection) {
    const Bytes file = serialize(clumpWith({containerChunk(SectionType::FrameList, {})}));
    SectionInput input(file);
    const std::string message = userErrorOf([&] {
        Section<SectionType::Clump> clump(input);
        Section<SectionType::FrameList> frames(input);
        Section<SectionType::Extension> extension(input);
    });
    EXPECT_EQ(message, "Clump\\FrameList\\Extensionが見つかりません");
    EXPECT_EQ(input.innermostSection(), nullptr);
    EXPECT_EQ(input.tell(), file.size());
}

TEST(SectionSearch, EverySectionTypeHasItsName) {
    const std::vector<std::pair<SectionType, std::string_view>> names = {
        {SectionType::Struct, "Struct"},         {SectionType::String, "String"},
        {SectionType::Extension, "Extension"},   {SectionType::Texture, "Texture"},
        {SectionType::Material, "Material"},     {SectionType::MaterialList, "MaterialList"},
        {SectionType::FrameList, "FrameList"},   {SectionType::Geometry, "Geometry"},
        {SectionType::Clump, "Clump"},           {SectionType::GeometryList, "GeometryList"},
        {SectionType::SkinPLG, "SkinPLG"},       {SectionType::HAnimPLG, "HAnimPLG"},
        {SectionType::BinMeshPLG, "BinMeshPLG"}, {SectionType::Frame, "Frame"},
        {SectionType::Atomic, "Atomic"},         {SectionType::MorphPLG, "MorphPLG"},
    };
    for (const auto& [type, name] : names) {
        EXPECT_EQ(sectionName(type), name);
    }
    EXPECT_EQ(sectionName(static_cast<SectionType>(0x13)), "Unknown");

    const Bytes file = serialize({structChunk({}), containerChunk(SectionType::Extension, {}),
                                  containerChunk(SectionType::Texture, {}), containerChunk(SectionType::Material, {}),
                                  containerChunk(SectionType::MaterialList, {}),
                                  containerChunk(SectionType::FrameList, {}), containerChunk(SectionType::Geometry, {}),
                                  clumpWith({}), containerChunk(SectionType::GeometryList, {})});
    SectionInput input(file);
    EXPECT_EQ(Section<SectionType::Struct>(input).name(), "Struct");
    EXPECT_EQ(Section<SectionType::Extension>(input).name(), "Extension");
    EXPECT_EQ(Section<SectionType::Texture>(input).name(), "Texture");
    EXPECT_EQ(Section<SectionType::Material>(input).name(), "Material");
    EXPECT_EQ(Section<SectionType::MaterialList>(input).name(), "MaterialList");
    EXPECT_EQ(Section<SectionType::FrameList>(input).name(), "FrameList");
    EXPECT_EQ(Section<SectionType::Geometry>(input).name(), "Geometry");
    EXPECT_EQ(Section<SectionType::Clump>(input).name(), "Clump");
    EXPECT_EQ(Section<SectionType::GeometryList>(input).name(), "GeometryList");
}

TEST(SectionSearch, TheBaseIsUnknownButNamedInItsOwnNotFoundMessage) {
    const Bytes file = serialize(clumpWith({}));
    SectionInput input(file);
    {
        const Section_Base base(input, SectionType::Clump, "Wanted");
        EXPECT_EQ(base.name(), "Unknown");
        EXPECT_EQ(base.header().type, typeId(SectionType::Clump));
    }
    EXPECT_EQ(userErrorOf([&] { Section_Base again(input, SectionType::Clump, "Wanted"); }), "Wantedが見つかりません");
}

}  // namespace
}  // namespace zorvek::test
