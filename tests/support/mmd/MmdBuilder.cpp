#include "support/mmd/MmdBuilder.h"

#include "base/ShiftJis.h"
#include "pmx/PmxWriter.h"

#include <algorithm>
#include <cstring>

namespace zorvek::test {

ByteBuilder& ByteBuilder::raw(const void* value, std::size_t n) {
    const auto* p = static_cast<const std::uint8_t*>(value);
    bytes.insert(bytes.end(), p, p + n);
    return *this;
}

ByteBuilder& ByteBuilder::index(int width, std::int32_t v) {
    switch (width) {
    case 1: return u8(static_cast<std::uint8_t>(static_cast<std::int8_t>(v)));
    case 2: return i16(static_cast<std::int16_t>(v));
    default: return i32(v);
    }
}

ByteBuilder& ByteBuilder::vertex(int width, std::uint32_t v) {
    switch (width) {
    case 1: return u8(static_cast<std::uint8_t>(v));
    case 2: return u16(static_cast<std::uint16_t>(v));
    default: return u32(v);
    }
}

ByteBuilder& ByteBuilder::utf16(std::u16string_view text) {
    i32(static_cast<std::int32_t>(2 * text.size()));
    for (char16_t unit : text) {
        u16(unit);
    }
    return *this;
}

ByteBuilder& ByteBuilder::utf8(std::string_view text) {
    i32(static_cast<std::int32_t>(text.size()));
    return ascii(text);
}

ByteBuilder& ByteBuilder::field(std::string_view text, std::size_t size) {
    std::string padded(text.substr(0, size));
    padded.resize(size, '\0');
    return ascii(padded);
}

ByteBuilder& ByteBuilder::append(const Bytes& more) {
    bytes.insert(bytes.end(), more.begin(), more.end());
    return *this;
}

Bytes patched32(Bytes bytes, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes.at(offset + i) = static_cast<std::uint8_t>(value >> (8 * i));
    }
    return bytes;
}

PmxModel everySectionModel(PmxTextEncoding encoding, std::uint8_t width, std::uint8_t additionalUvs) {
    PmxModel m;
    PmxHeader& h = m.header;
    h.encoding = encoding;
    h.additionalUvCount = additionalUvs;
    h.vertexIndexSize = h.textureIndexSize = h.materialIndexSize = width;
    h.boneIndexSize = h.morphIndexSize = h.rigidBodyIndexSize = width;
    m.information = {u"全部のモデル", u"every section", u"コメント\r\n二行目", u"comment"};

    PmxVertices& v = m.vertices;
    v.positions = {{1, 2, 3}, {-4, 5.5f, 6}, {7, 8, -9.25f}};
    v.normals = {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}};
    v.uvs = {{0.25f, 0.5f}, {0.75f, 1}, {0, 0.125f}};
    for (std::uint8_t set = 0; set < additionalUvs; ++set) {
        const float s = static_cast<float>(set);
        v.additionalUvs.push_back({{s, 1, 2, 3}, {4, s, 6, 7}, {8, 9, s, 11}});
    }
    v.deforms = {PmxDeform::Bdef1, PmxDeform::Bdef2, PmxDeform::Bdef4};
    v.smallBones = {{2, 0, 0, 0}, {0, 1, 0, 0}, {0, 1, 2, 0}};
    v.weights = {{1, 0, 0, 0}, {0.25f, 0.75f, 0, 0}, {0.5f, 0.25f, 0.125f, 0.125f}};
    v.edgeScales = {1, 0.5f, 2};
    m.faceIndices = {0, 1, 2};
    m.textures = {u"肌.png", u"toon_own.bmp"};

    PmxMaterial skin;
    skin.name = u"肌";
    skin.englishName = u"skin";
    skin.diffuse = {1, 0.5f, 0.25f, 1};
    skin.specular = {0.1f, 0.2f, 0.3f};
    skin.specularStrength = 5;
    skin.ambient = {0.5f, 0.5f, 0.5f};
    skin.drawFlags = PmxDoubleSided | PmxDrawsEdge;
    skin.edgeColour = {0, 0, 0, 1};
    skin.edgeSize = 1;
    skin.texture = 0;
    skin.sphereTexture = 1;
    skin.sphereMode = 2;
    skin.sharedToon = true;
    skin.toon = 3;
    skin.memo = u"メモ";
    skin.faceIndexCount = 3;
    PmxMaterial own = skin;
    own.name = u"自前トゥーン";
    own.sharedToon = false;
    own.toon = 1;
    own.texture = -1;
    own.faceIndexCount = 0;
    m.materials = {skin, own};

    PmxBone root;
    root.name = u"センター";
    root.englishName = u"center";
    root.position = {0, 8, 0};
    root.flags = PmxTailIsBone | PmxCanRotate | PmxCanMove | PmxVisible | PmxCanOperate;
    root.tailBone = 1;
    PmxBone full;
    full.name = u"全部";
    full.position = {1, 2, 3};
    full.parent = 0;
    full.layer = 2;
    full.flags = PmxCanRotate | PmxInheritsRotation | PmxInheritsTranslation | PmxFixedAxis | PmxLocalAxes |
                 PmxAfterPhysics | PmxExternalParent;
    full.tailOffset = {0, -1, 0};
    full.inheritParent = 0;
    full.inheritWeight = 0.5f;
    full.fixedAxis = {1, 0, 0};
    full.localX = {1, 0, 0};
    full.localZ = {0, 0, 1};
    full.externalKey = 12;
    PmxBone ik;
    ik.name = u"足ＩＫ";
    ik.position = {1, 0, 0};
    ik.parent = -1;
    ik.flags = PmxTailIsBone | PmxCanRotate | PmxCanMove | PmxIsIk;
    ik.tailBone = -1;
    ik.ik = {1, 40, 2.0f, {{0, true, {-3.14159f, 0, 0}, {-0.00872665f, 0, 0}}, {1, false, {}, {}}}};
    m.bones = {root, full, ik};

    m.morphs.push_back({u"グループ", u"group", 4, 0, {{1, 0.5f}, {5, 1}}, {}, {}, {}, {}});
    m.morphs.push_back({u"あ", u"a", 3, 1, {}, {{2, {0, 0.5f, 0}}, {0, {1, 0, 0}}}, {}, {}, {}});
    m.morphs.push_back({u"ボーン", u"", 4, 2, {}, {}, {{1, {0, 1, 0}, {0, 0, 0.7071f, 0.7071f}}}, {}, {}});
    m.morphs.push_back({u"UV", u"", 4, 3, {}, {}, {}, {{1, {0.5f, 0.25f, 0, 0}}}, {}});
    for (std::uint8_t set = 0; set < additionalUvs; ++set) {
        m.morphs.push_back(
            {u"追加UV", u"", 4, static_cast<std::uint8_t>(4 + set), {}, {}, {}, {{2, {1, 2, 3, 4}}}, {}});
    }
    PmxMaterialOffset dim;
    dim.material = -1;
    dim.diffuse = {0.5f, 0.5f, 0.5f, 1};
    dim.toon = {1, 1, 1, 1};
    PmxMaterialOffset brighter = dim;
    brighter.material = 1;
    brighter.operation = 1;
    brighter.edgeSize = 0.5f;
    m.morphs.push_back({u"材質", u"", 4, 8, {}, {}, {}, {}, {dim, brighter}});

    m.displayFrames = {{u"Root", u"Root", true, {{false, 0}}},
                       {u"表情", u"Exp", true, {{true, 1}, {true, 0}, {false, 2}}},
                       {u"空", u"", false, {}}};
    m.rigidBodies = {
        {u"頭", u"head", 1, 3, 0xFFFE, 0, {1, 0, 0}, {0, 10, 0}, {0, 0, 0}, 1, 0.5f, 0.5f, 0, 0.5f, 0},
        {u"髪", u"", -1, 4, 0x00FF, 2, {0.5f, 2, 0}, {0, 9, -1}, {0.1f, 0, 0}, 0.25f, 0.9f, 0.9f, 0, 0, 1}};
    m.joints = {{u"首", u"", 0, 0, 1, {0, 9.5f, 0}, {}, {-1, -1, -1}, {1, 1, 1}, {-0.5f, 0, 0}, {0.5f, 0, 0}, {}, {}}};
    // The group's second offset names the last morph, whatever the additional UV morphs made its number.
    m.morphs[0].groupOffsets[1].morph = static_cast<std::int32_t>(m.morphs.size() - 1);
    return m;
}

std::vector<std::size_t> pmxSectionStarts(const PmxModel& model) {
    // Each section starts where the file of the sections before it, and
    // empty ones after, would end without those empty sections' counts.
    constexpr std::size_t sections = 9;
    std::vector<std::size_t> starts;
    for (std::size_t filled = 0; filled <= sections; ++filled) {
        PmxModel part;
        part.header = model.header;
        part.information = model.information;
        if (filled > 0) {
            part.vertices = model.vertices;
        }
        if (filled > 1) {
            part.faceIndices = model.faceIndices;
        }
        if (filled > 2) {
            part.textures = model.textures;
        }
        if (filled > 3) {
            part.materials = model.materials;
        }
        if (filled > 4) {
            part.bones = model.bones;
        }
        if (filled > 5) {
            part.morphs = model.morphs;
        }
        if (filled > 6) {
            part.displayFrames = model.displayFrames;
        }
        if (filled > 7) {
            part.rigidBodies = model.rigidBodies;
        }
        if (filled > 8) {
            part.joints = model.joints;
        }
        starts.push_back(pmxFileSize(part) - 4 * (sections - filled));
    }
    return starts;
}

ByteBuilder pmxHeader(float version, std::uint8_t encoding, std::uint8_t additionalUvs, std::uint8_t width) {
    ByteBuilder b;
    b.ascii("PMX ").f32(version).u8(8).u8(encoding).u8(additionalUvs);
    for (int i = 0; i < 6; ++i) {
        b.u8(width);
    }
    return b;
}

Bytes pmx21File() {
    ByteBuilder b = pmxHeader(2.1f, 0, 1, 1);
    b.utf16(u"二・一").utf16(u"v21").utf16(u"").utf16(u"");
    b.i32(3);
    b.vec3(1, 2, 3).vec3(0, 1, 0).vec2(0.5f, 0.5f).vec4(1, 2, 3, 4);
    b.u8(3).index(1, 0).index(1, 1).f32(0.25f).vec3(9, 9, 9).vec3(8, 8, 8).vec3(7, 7, 7).f32(1);  // SDEF
    b.vec3(4, 5, 6).vec3(1, 0, 0).vec2(0, 1).vec4(5, 6, 7, 8);
    b.u8(4).index(1, 0).index(1, 1).index(1, -1).index(1, 0).vec4(0.5f, 0.5f, 0, 0).f32(0.5f);  // QDEF
    b.vec3(7, 8, 9).vec3(0, 0, 1).vec2(1, 0).vec4(0, 0, 0, 0);
    b.u8(0).index(1, 1).f32(2);  // BDEF1
    b.i32(3).vertex(1, 0).vertex(1, 1).vertex(1, 2);
    b.i32(1).utf16(u"tex.png");
    // A material with the 2.1 vertex-colour flag and the texture as its toon.
    b.i32(1).utf16(u"材質").utf16(u"").vec4(1, 1, 1, 1).vec3(0, 0, 0).f32(1).vec3(0.5f, 0.5f, 0.5f).u8(0x20);
    b.vec4(0, 0, 0, 1).f32(1).index(1, 0).index(1, -1).u8(0).u8(0).index(1, 0).utf16(u"").i32(3);
    b.i32(2);
    b.utf16(u"親").utf16(u"").vec3(0, 0, 0).index(1, -1).i32(0).u16(0x001F).index(1, 1);
    b.utf16(u"子").utf16(u"").vec3(0, 1, 0).index(1, 0).i32(0).u16(0x001E).vec3(0, 1, 0);
    b.i32(4);
    b.utf16(u"フリップ").utf16(u"").u8(4).u8(9).i32(1).index(1, 3).f32(1);
    b.utf16(u"頂点").utf16(u"").u8(1).u8(1).i32(1).vertex(1, 2).vec3(0, 0.5f, 0);
    b.utf16(u"インパルス").utf16(u"").u8(4).u8(10).i32(1).index(1, 0).u8(1).vec3(1, 0, 0).vec3(0, 1, 0);
    b.utf16(u"グループ").utf16(u"").u8(4).u8(0).i32(2).index(1, 0).f32(1).index(1, 1).f32(0.5f);
    b.i32(1).utf16(u"枠").utf16(u"").u8(0).i32(3).u8(1).index(1, 2).u8(1).index(1, 3).u8(0).index(1, 1);
    b.i32(1).utf16(u"剛体").utf16(u"").index(1, 1).u8(0).u16(0xFFFF).u8(1).vec3(1, 1, 1).vec3(0, 1, 0);
    b.vec3(0, 0, 0).f32(1).f32(0.5f).f32(0.5f).f32(0).f32(0.5f).u8(1);
    b.i32(1).utf16(u"ジョイント").utf16(u"").u8(1).index(1, 0).index(1, -1);
    for (int i = 0; i < 8; ++i) {
        b.vec3(static_cast<float>(i), 0, 0);
    }
    b.i32(1).utf16(u"布").utf16(u"cloth").u8(0).index(1, 0).u8(1).u16(0xFFFF).u8(0x03);
    b.i32(10).i32(2).f32(1).f32(0.01f).i32(1);
    for (int i = 0; i < 12 + 6; ++i) {
        b.f32(0.5f);
    }
    b.i32(1).i32(1).i32(1).i32(1).f32(1).f32(1).f32(1);
    b.i32(1).index(1, 0).vertex(1, 2).u8(1);
    b.i32(2).vertex(1, 0).vertex(1, 1);
    return b.bytes;
}

namespace {

void floats(ByteBuilder& b, const float* values, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        b.f32(values[i]);
    }
}

}  // namespace

Bytes buildPmd(const PmdFile& file, std::vector<std::size_t>* validEnds) {
    ByteBuilder b;
    b.ascii("Pmd").f32(file.version).field(file.name, 20).field(file.comment, 256);
    b.u32(static_cast<std::uint32_t>(file.vertices.size()));
    for (const PmdVertex& v : file.vertices) {
        floats(b, v.position, 3);
        floats(b, v.normal, 3);
        floats(b, v.uv, 2);
        b.u16(v.bones[0]).u16(v.bones[1]).u8(v.weight).u8(v.noEdge);
    }
    b.u32(static_cast<std::uint32_t>(file.faces.size()));
    for (std::uint16_t index : file.faces) {
        b.u16(index);
    }
    b.u32(static_cast<std::uint32_t>(file.materials.size()));
    for (const PmdMaterial& m : file.materials) {
        floats(b, m.diffuse, 4);
        b.f32(m.specularPower);
        floats(b, m.specular, 3);
        floats(b, m.ambient, 3);
        b.u8(m.toon).u8(m.edge).u32(m.faceIndexCount).field(m.texture, 20);
    }
    b.u16(static_cast<std::uint16_t>(file.bones.size()));
    for (const PmdBone& bone : file.bones) {
        b.field(bone.name, 20).u16(bone.parent).u16(bone.tail).u8(bone.type).u16(bone.ikParent);
        floats(b, bone.position, 3);
    }
    b.u16(static_cast<std::uint16_t>(file.iks.size()));
    for (const PmdIkEntry& ik : file.iks) {
        b.u16(ik.bone).u16(ik.target).u8(static_cast<std::uint8_t>(ik.links.size())).u16(ik.iterations).f32(ik.limit);
        for (std::uint16_t link : ik.links) {
            b.u16(link);
        }
    }
    b.u16(static_cast<std::uint16_t>(file.morphs.size()));
    for (const PmdMorph& morph : file.morphs) {
        b.field(morph.name, 20).u32(static_cast<std::uint32_t>(morph.vertices.size())).u8(morph.type);
        for (const PmdMorphVertex& v : morph.vertices) {
            b.u32(v.index);
            floats(b, v.position, 3);
        }
    }
    b.u8(static_cast<std::uint8_t>(file.morphDisplay.size()));
    for (std::uint16_t morph : file.morphDisplay) {
        b.u16(morph);
    }
    b.u8(static_cast<std::uint8_t>(file.frameNames.size()));
    for (const std::string& name : file.frameNames) {
        b.field(name, 50);
    }
    b.u32(static_cast<std::uint32_t>(file.boneDisplay.size()));
    for (const PmdBoneDisplay& display : file.boneDisplay) {
        b.u16(display.bone).u8(display.frame);
    }
    if (validEnds != nullptr) {
        validEnds->push_back(b.size());
    }
    if (!file.hasEnglish && !file.hasToonNames && !file.hasPhysics) {
        return b.bytes;
    }
    b.u8(file.hasEnglish ? 1 : 0);
    if (file.hasEnglish) {
        const PmdEnglish& e = file.english;
        b.field(e.name, 20).field(e.comment, 256);
        for (const std::string& name : e.bones) {
            b.field(name, 20);
        }
        for (const std::string& name : e.morphs) {
            b.field(name, 20);
        }
        for (const std::string& name : e.frames) {
            b.field(name, 50);
        }
    }
    if (validEnds != nullptr) {
        validEnds->push_back(b.size());
    }
    if (!file.hasToonNames && !file.hasPhysics) {
        return b.bytes;
    }
    for (std::size_t i = 0; i < 10; ++i) {
        b.field(i < file.toonNames.size() ? file.toonNames[i] : std::string(), 100);
    }
    if (validEnds != nullptr) {
        validEnds->push_back(b.size());
    }
    if (!file.hasPhysics) {
        return b.bytes;
    }
    b.u32(static_cast<std::uint32_t>(file.rigidBodies.size()));
    for (const PmdRigidBody& r : file.rigidBodies) {
        b.field(r.name, 20).u16(r.bone).u8(r.group).u16(r.mask).u8(r.shape);
        floats(b, r.size, 3);
        floats(b, r.position, 3);
        floats(b, r.rotation, 3);
        b.f32(r.mass).f32(r.linearDamping).f32(r.angularDamping).f32(r.restitution).f32(r.friction).u8(r.mode);
    }
    if (validEnds != nullptr) {
        validEnds->push_back(b.size());
    }
    b.u32(static_cast<std::uint32_t>(file.joints.size()));
    for (const PmdJoint& j : file.joints) {
        b.field(j.name, 20).u32(j.bodyA).u32(j.bodyB);
        for (const auto& value : j.values) {
            floats(b, value, 3);
        }
    }
    if (validEnds != nullptr) {
        validEnds->push_back(b.size());
    }
    return b.bytes;
}

PmdFile everySectionPmd() {
    PmdFile f;
    f.name = toShiftJis(u"テストモデル");
    f.comment = toShiftJis(u"一行目\n二行目");
    f.vertices = {
        {{0, 10, 0}, {0, 0, -1}, {0.5f, 0.25f}, {0, 1}, 100, 0},
        {{1, 7, 0}, {1, 0, 0}, {0.75f, 1}, {1, 2}, 75, 1},
        {{1, 4, 0.5f}, {0, 1, 0}, {0, 0.125f}, {2, 2}, 0, 0},
    };
    f.faces = {0, 1, 2, 2, 1, 0};
    PmdMaterial body;
    body.diffuse[0] = 1;
    body.diffuse[1] = 0.5f;
    body.diffuse[2] = 0.25f;
    body.diffuse[3] = 0.5f;
    body.specularPower = 5;
    body.specular[0] = body.specular[1] = body.specular[2] = 0.125f;
    body.ambient[0] = body.ambient[1] = body.ambient[2] = 0.375f;
    body.toon = 1;
    body.edge = 1;
    body.faceIndexCount = 3;
    body.texture = "body.png*shine.SPH";
    PmdMaterial shadowless;
    shadowless.diffuse[3] = 0.98f;
    shadowless.toon = 0xFF;
    shadowless.faceIndexCount = 3;
    shadowless.texture = "env.spa";
    PmdMaterial ownToon;
    ownToon.toon = 0;
    ownToon.texture = "body.png";
    f.materials = {body, shadowless, ownToon};

    f.bones = {
        {toShiftJis(u"センター"), 0xFFFF, 1, 1, 0, {0, 8, 0}}, {toShiftJis(u"左足"), 0, 2, 4, 4, {1, 7, 0}},
        {toShiftJis(u"左ひざ"), 1, 3, 4, 4, {1, 4, 0}},        {toShiftJis(u"左足首"), 2, 0, 6, 0, {1, 1, 0}},
        {toShiftJis(u"左足ＩＫ"), 0xFFFF, 0, 2, 0, {1, 1, 0}}, {toShiftJis(u"左腕捩"), 0, 6, 8, 0, {2, 10, 0}},
        {toShiftJis(u"左目"), 0, 0xFFFF, 5, 7, {5, 14, 0}},    {toShiftJis(u"両目"), 0, 0, 7, 0, {0, 12, 0}},
    };
    f.iks = {{4, 3, 40, 0.5f, {2, 1}}};
    f.morphs = {
        {"base", 0, {{1, {1, 7, 0}}, {2, {1, 4, 0.5f}}}},
        {toShiftJis(u"あ"), 3, {{1, {0, 0.5f, 0}}}},
        {toShiftJis(u"まばたき"), 2, {{0, {0.25f, 0, 0}}, {1, {0, -0.25f, 0}}}},
    };
    f.morphDisplay = {2, 1};
    f.frameNames = {toShiftJis(u"足") + "\n", toShiftJis(u"その他") + "\n"};
    f.boneDisplay = {{1, 1}, {4, 1}, {5, 2}};
    f.hasEnglish = true;
    f.english = {"Test model",
                 "English comment",
                 {"center", "leg_L", "knee_L", "ankle_L", "leg IK_L", "arm twist_L", "eye_L", "eyes"},
                 {"a", "blink"},
                 {"Legs\n", "Other\n"}};
    f.hasToonNames = true;
    f.toonNames = {"mytoon.bmp", "toon02.bmp", "toon03.bmp", "toon04.bmp", "toon05.bmp",
                   "toon06.bmp", "toon07.bmp", "toon08.bmp", "toon09.bmp", "toon10.bmp"};
    f.hasPhysics = true;
    PmdRigidBody head;
    head.name = toShiftJis(u"頭");
    head.bone = 7;
    head.group = 1;
    head.mask = 0xFFFE;
    head.size[0] = 1.5f;
    head.position[1] = 1;
    head.mass = 1;
    head.friction = 0.5f;
    PmdRigidBody loose = head;
    loose.name = "loose";
    loose.bone = 0xFFFF;
    loose.position[0] = 1;
    loose.position[1] = 2;
    loose.position[2] = 3;
    loose.mode = 1;
    f.rigidBodies = {head, loose};
    PmdJoint joint;
    joint.name = "joint";
    joint.bodyA = 0;
    joint.bodyB = 1;
    for (int i = 0; i < 8; ++i) {
        joint.values[i][0] = static_cast<float>(i);
    }
    f.joints = {joint};
    return f;
}

}  // namespace zorvek::test
