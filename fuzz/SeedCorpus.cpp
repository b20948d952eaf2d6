// zorvek-fuzz-seeds OUTDIR: writes the fuzzers' seed inputs into
// OUTDIR/<target>/, built with the tests' DFF, TXD, IFP and MMD model builders and our VMD and PMX
// writers, and copied from the shipped tables, so that no unexplained blobs need to be kept.

#include "SyntheticModel.h"

#include "base/FileIo.h"
#include "image/ImageEncoder.h"
#include "pmx/PmxWriter.h"
#include "support/dff/DffBuilder.h"
#include "support/ifp/IfpBuilder.h"
#include "support/mmd/MmdBuilder.h"
#include "support/mmd/SemiStandardModel.h"
#include "support/txd/ImageFiles.h"
#include "support/txd/TxdPixels.h"
#include "vmd/VmdWriter.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;
using zorvek::Bytes;
namespace test = zorvek::test;

struct NamedSeed {
    std::string name;
    Bytes bytes;
};

test::SkinnedModel stripModel() {
    test::SkinnedModel model = test::sampleSkinnedModel();
    model.geometries[0].binMeshFlags = 1;
    model.geometries[0].meshes = {{0, {0, 1, 2, 3}}, {1, {3, 2, 1}}};
    return model;
}

// Two geometries and atomics, prelit colours and a second uv set: the parts the reader warns about.
test::SkinnedModel warningModel() {
    test::SkinnedModel model = test::sampleSkinnedModel();
    test::GeometrySpec& geometry = model.geometries[0];
    geometry.flags |= test::geometryPrelit | test::geometryTextured2;
    geometry.prelit.assign(geometry.positions.size(), {255, 255, 255, 255});
    geometry.uvSets.push_back(geometry.uvSets[0]);
    model.geometries.push_back(geometry);
    model.numAtomics = 2;
    return model;
}

std::vector<NamedSeed> seedModels() {
    return {
        {"sample", test::buildDff(test::sampleSkinnedModel())},
        {"strip", test::buildDff(stripModel())},
        {"warnings", test::buildDff(warningModel())},
        {"ped", test::buildDff(zorvek::bench::buildSyntheticModel(96))},
    };
}

// The first byte of a DFF or motion seed is the fuzzer's own parameter (mode or factor).
void writeParameterSeeds(const fs::path& folder, const std::vector<NamedSeed>& models, int parameters) {
    fs::create_directories(folder);
    for (const NamedSeed& model : models) {
        for (int parameter = 0; parameter < parameters; ++parameter) {
            Bytes seed{static_cast<std::uint8_t>(parameter)};
            seed.insert(seed.end(), model.bytes.begin(), model.bytes.end());
            zorvek::writeFileAtomically(folder / (model.name + "-" + std::to_string(parameter)), seed);
        }
    }
}

// An 8 x 8 image with a few colours and alpha values, small enough for any palette.
zorvek::Image seedImage() {
    std::vector<test::Rgba> pixels;
    for (std::uint8_t y = 0; y < 8; ++y) {
        for (std::uint8_t x = 0; x < 8; ++x) {
            const auto shade = static_cast<std::uint8_t>((x / 2 + y / 2 * 4) * 17);
            const auto alpha = static_cast<std::uint8_t>(y < 4 ? 255 : 0x80);
            pixels.push_back({shade, static_cast<std::uint8_t>(255 - shade), 0x84, alpha});
        }
    }
    return test::makeImage(8, 8, pixels, true);
}

// One dictionary per pixel format and platform, one with every kind at once
// (and a PS2 texture), one with mip levels and the padding real files carry.
std::vector<NamedSeed> seedTextureDictionaries() {
    using Format = test::TxdPixelFormat;
    const std::vector<std::pair<std::string, Format>> formats = {
        {"1555", Format::Argb1555}, {"565", Format::Rgb565},
        {"4444", Format::Argb4444}, {"555", Format::Xrgb1555},
        {"lum8", Format::Lum8},     {"8888", Format::Bgra8888},
        {"888", Format::Bgrx8888},  {"pal8", Format::Pal8},
        {"pal4", Format::Pal4},     {"pal4packed", Format::Pal4Packed},
        {"dxt1", Format::Dxt1},     {"dxt3", Format::Dxt3},
        {"dxt5", Format::Dxt5},
    };
    const zorvek::Image image = seedImage();
    std::vector<NamedSeed> seeds;
    test::TxdLayout everything;
    for (const auto& [name, format] : formats) {
        seeds.push_back({"d3d8-" + name, test::buildTxd({.textures = {test::d3d8Texture(name, image, format)}})});
        seeds.push_back({"d3d9-" + name, test::buildTxd({.textures = {test::d3d9Texture(name, image, format)}})});
        everything.textures.push_back(test::d3d9Texture(name, image, format));
    }
    test::TextureLayout ps2;
    ps2.platform = test::ps2Platform;
    ps2.otherPlatformPayload = zorvek::Bytes(16, 0);
    everything.textures.push_back(ps2);
    seeds.push_back({"everything", test::buildTxd(everything)});
    test::TextureLayout mips = test::d3d8Texture("mips", image, Format::Dxt1);
    mips.rasterFormat |= test::rasterMipmaps;
    mips.levels.push_back(zorvek::Bytes(8, 0x55));
    seeds.push_back({"mips-padded", test::buildTxd({.textures = {mips}, .alignment = 2048})});
    return seeds;
}

// Image files as models carry them, each after the byte that picks the
// packing settings: every format stb reads for us, every DDS kind (one with
// its mip levels), sizes that are and are not powers of two, with and
// without transparency, under each setting.
std::vector<NamedSeed> seedTextureImages() {
    const zorvek::Image opaque = test::paintedImage(12, 20, 1, false);
    const zorvek::Image clear = test::paintedImage(16, 16, 2, true);
    const std::vector<std::pair<std::string, Bytes>> files = {
        {"png", zorvek::encodeImage(clear, zorvek::ImageFormat::Png)},
        {"bmp", zorvek::encodeImage(opaque, zorvek::ImageFormat::Bmp)},
        {"tga", zorvek::encodeImage(clear, zorvek::ImageFormat::Tga)},
        {"jpg", test::jpgFile(opaque, 80)},
        {"dxt1", test::ddsOf(clear, test::DdsPixels::Dxt1)},
        {"dxt3", test::ddsOf(opaque, test::DdsPixels::Dxt3)},
        {"dxt5-mips", test::ddsOf(clear, test::DdsPixels::Dxt5, 5)},
        {"argb", test::ddsOf(clear, test::DdsPixels::Argb8888)},
        {"xrgb", test::ddsOf(opaque, test::DdsPixels::Xrgb8888)},
        {"abgr", test::ddsOf(clear, test::DdsPixels::Abgr8888)},
    };
    std::vector<NamedSeed> seeds;
    for (const auto& [name, file] : files) {
        for (const std::uint8_t settings : {0x00, 0x03, 0x04, 0x0A}) {
            Bytes seed{settings};
            seed.insert(seed.end(), file.begin(), file.end());
            seeds.push_back({name + "-" + std::to_string(settings), seed});
        }
    }
    return seeds;
}

// A walk of three tracks: a translated root, a rotating pelvis with two keys on
// one time and an odd 1/60 s tick, an object known by name alone; then an
// animation without objects.
zorvek::IfpFile seedAnimations() {
    using zorvek::IfpKey;
    const std::vector<IfpKey> keys = {
        {{0, 0, 0, 1}, {0, 0, 1}, 0},
        {{0.5f, -0.5f, 0.5f, 0.5f}, {0.25f, 0, 1}, 1 / 60.0f},
        {{0, 0.7071f, 0, 0.7071f}, {0.5f, 0, 1}, 1 / 60.0f},
        {{0, 0, -1, 0}, {1, -0.5f, 1}, 0.5f},
    };
    zorvek::IfpFile file;
    file.name = "ped";
    file.animations = {
        {"walk_civi",
         {{"Root", 0, true, keys}, {"Bip01 Pelvis", 1, false, keys}, {"Bip01 L Hand", -1, false, {keys[0]}}}},
        {"idle", {}},
    };
    for (zorvek::IfpTrack& track : file.animations[0].tracks) {
        for (IfpKey& key : track.keys) {
            key.translation = track.hasTranslation ? key.translation : zorvek::Vec3{};
        }
    }
    return file;
}

// ANP3 with each frame type, with the junk and garbage real files carry, and
// ANPK with and without bone ids and scaled keys.
std::vector<NamedSeed> seedIfpFiles() {
    const zorvek::IfpFile file = seedAnimations();
    std::vector<NamedSeed> seeds;
    for (int frameType = 1; frameType <= 4; ++frameType) {
        test::Anp3Options options;
        options.frameType = test::sameFrameType(frameType);
        seeds.push_back({"anp3-type" + std::to_string(frameType), test::buildAnp3(file, options)});
    }
    test::Anp3Options dirty;
    dirty.nameGarbage = "garbage";
    dirty.trailing = Bytes(64, 0xCD);
    dirty.brokenSizes = true;
    seeds.push_back({"anp3-dirty", test::buildAnp3(file, dirty)});
    seeds.push_back({"anpk", test::buildAnpk(file, false)});
    test::AnpkOptions scaled;
    scaled.withBoneIds = true;
    scaled.withScale = true;
    seeds.push_back({"anpk-ids-scaled", test::buildAnpk(file, scaled)});
    return seeds;
}

// The standard ped skeleton's bone ids, which the synthetic model carries.
constexpr std::array<std::int32_t, 32> pedBoneIds{0,  1,  2,  3,  4,  5,   8,   6,   7,  31, 32, 33, 34, 35, 36, 21,
                                                  22, 23, 24, 25, 26, 302, 301, 201, 41, 42, 43, 44, 51, 52, 53, 54};

// Keys at 0, 2, 3 (odd: between MMD's frames), 6 and 8 ticks of 1/60 s, each
// turned further about one axis; translations where the track has them.
std::vector<zorvek::IfpKey> turningKeys(float axisX, float axisZ, bool translated) {
    std::vector<zorvek::IfpKey> keys;
    for (int tick : {0, 2, 3, 6, 8}) {
        const float half = 0.05f * static_cast<float>(tick);
        zorvek::IfpKey key;
        key.rotation = {axisX * std::sin(half), 0, axisZ * std::sin(half), std::cos(half)};
        key.translation = translated ? zorvek::Vec3{0, 0.02f * static_cast<float>(tick), 1} : zorvek::Vec3{};
        key.time = static_cast<float>(tick) / 60.0f;
        keys.push_back(key);
    }
    return keys;
}

// For the motion fuzzer's ped: a full-body animation (Root moved, every bone
// turning, Pelvis translated too), then a partial one turning the head, found
// by id, and a hand, found by the synthetic model's frame name.
zorvek::IfpFile seedMotions() {
    zorvek::IfpFile file;
    file.name = "ped";
    zorvek::IfpAnimation body{"walk", {}};
    for (std::int32_t id : pedBoneIds) {
        const bool translated = id == 0 || id == 1;
        body.tracks.push_back({"bone" + std::to_string(id), id, translated, turningKeys(1, 0, translated)});
    }
    zorvek::IfpAnimation partial{"look", {}};
    partial.tracks.push_back({"Head", 5, false, turningKeys(0, 1, false)});
    partial.tracks.push_back({"L Hand", -1, false, turningKeys(1, 1, false)});
    file.animations = {body, partial};
    return file;
}

// The reader's seeds and the motions above, as ANP3 and as ANPK with bone ids.
std::vector<NamedSeed> seedMotionFiles() {
    std::vector<NamedSeed> seeds = seedIfpFiles();
    seeds.push_back({"motions-anp3", test::buildAnp3(seedMotions())});
    seeds.push_back({"motions-anpk", test::buildAnpk(seedMotions(), true)});
    return seeds;
}

// Motions as our writer writes them: bones with keys out of order and two on
// one frame, show/IK frames, a long name cut to its field; the same without
// anything after the bone keys, as old files end; and an empty motion.
std::vector<NamedSeed> seedVmdFiles() {
    using zorvek::VmdBoneKey;
    zorvek::VmdMotion motion;
    motion.sjisModelName = zorvek::vmdModelName(u"ZORVEKモデル");
    const std::vector<VmdBoneKey> keys = {
        {30, {0, 10, 0}, {0.5f, 0.5f, 0.5f, 0.5f}},
        {0, {1.5f, -2, 0.25f}, {0, 0, 0, 1}},
        {10, {0, 1, 0}, {0, 0.7071f, 0, 0.7071f}},
        {10, {0, 2, 0}, {0, -0.7071f, 0, -0.7071f}},
        {11, {0, 3, 0}, {0, 0, 0, 1}},
    };
    const auto ignore = [](const std::string&) {};
    const auto bone = [&](std::u16string_view name) { return zorvek::vmdBoneName(name, ignore); };
    const auto ik = [](std::u16string_view name) { return zorvek::vmdIkName(name); };
    motion.bones = {
        {bone(u"センター"), keys}, {bone(u"右ひざ"), {keys[2]}}, {bone(u"Bip01 L Clavicle"), {keys[0], keys[1]}}};
    motion.showIk = {{20, true, {{ik(u"右足ＩＫ"), false}}},
                     {0, true, {{ik(u"右足ＩＫ"), true}, {ik(u"左足ＩＫ"), true}}}};
    const zorvek::ByteBlock full = zorvek::writeVmd(motion);
    const zorvek::ByteBlock empty = zorvek::writeVmd({});
    // Header, model name, count and the keys.
    const std::size_t boneKeysEnd = 30 + 20 + 4 + 111 * (keys.size() + 1 + 2);
    return {
        {"motion", Bytes(full.begin(), full.end())},
        {"bone-keys-only", Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(boneKeysEnd))},
        {"empty", Bytes(empty.begin(), empty.end())},
    };
}

// Models as our writer writes them, in both encodings with every index
// width; a 2.1 file with SDEF and QDEF vertices, flip and impulse morphs and
// a soft body; a PMD with every extension, and one that ends before them.
std::vector<NamedSeed> seedMmdModels() {
    std::vector<NamedSeed> seeds;
    for (const zorvek::PmxTextEncoding encoding : {zorvek::PmxTextEncoding::Utf16, zorvek::PmxTextEncoding::Utf8}) {
        for (const std::uint8_t width : {1, 2, 4}) {
            const std::uint8_t additionalUvs = width == 4 ? 4 : width - 1;
            const zorvek::ByteBlock file = zorvek::writePmx(test::everySectionModel(encoding, width, additionalUvs));
            const std::string name = encoding == zorvek::PmxTextEncoding::Utf8 ? "pmx-utf8-" : "pmx-utf16-";
            seeds.push_back({name + std::to_string(width), Bytes(file.begin(), file.end())});
        }
    }
    seeds.push_back({"pmx-2.1", test::pmx21File()});
    // One the conversion to a ped accepts: every standard bone and more.
    const zorvek::ByteBlock semi =
        zorvek::writePmx(test::makeSemiStandardModel({.vertexCount = 120, .materialCount = 2}));
    seeds.push_back({"pmx-semi-standard", Bytes(semi.begin(), semi.end())});
    test::PmdFile pmd = test::everySectionPmd();
    seeds.push_back({"pmd", test::buildPmd(pmd)});
    pmd.hasEnglish = pmd.hasToonNames = pmd.hasPhysics = false;
    seeds.push_back({"pmd-no-extensions", test::buildPmd(pmd)});
    return seeds;
}

void writeSeeds(const fs::path& folder, const std::vector<NamedSeed>& files) {
    fs::create_directories(folder);
    for (const NamedSeed& file : files) {
        zorvek::writeFileAtomically(folder / file.name, file.bytes);
    }
}

// Names as downloaded files carry them: paths of both systems, devices, dots.
std::vector<NamedSeed> seedFileNames() {
    std::vector<NamedSeed> seeds;
    const char* names[] = {"../zz",   "/tmp/rq",  "C:\\tex\\body", "\\\\server\\share\\x", "aux.png", "LPT1", "body. ",
                           ".hidden", "a/./../b", "\xe9t\xe9"};
    for (const char* name : names) {
        const std::string_view text(name);
        seeds.push_back({"name" + std::to_string(seeds.size()), zorvek::Bytes(text.begin(), text.end())});
    }
    return seeds;
}

void copyTable(const fs::path& folder, const fs::path& table) {
    fs::create_directories(folder);
    zorvek::writeFileAtomically(folder / table.filename(), zorvek::readWholeFile(table));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zorvek-fuzz-seeds OUTDIR\n");
        return 2;
    }
    try {
        const fs::path out = argv[1];
        const std::vector<NamedSeed> models = seedModels();
        writeParameterSeeds(out / "convert", models, 4);
        writeParameterSeeds(out / "rescale", models, 1);
        copyTable(out / "bone_table", fs::path(ZORVEK_DATA_DIR) / "bones.dat");
        copyTable(out / "ik_table", fs::path(ZORVEK_DATA_DIR) / "iks.dat");
        writeSeeds(out / "txd", seedTextureDictionaries());
        writeSeeds(out / "txd_image", seedTextureImages());
        writeSeeds(out / "ifp", seedIfpFiles());
        writeSeeds(out / "vmd", seedVmdFiles());
        writeSeeds(out / "pmx", seedMmdModels());
        writeSeeds(out / "file_name", seedFileNames());
        writeParameterSeeds(out / "motion", seedMotionFiles(), 4);
        writeParameterSeeds(out / "animation", seedVmdFiles(), 4);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zorvek-fuzz-seeds: %s\n", error.what());
        return 1;
    }
    return 0;
}
