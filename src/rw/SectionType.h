#pragma once

#include <cstdint>
#include <string_view>

namespace zorvek {

// Chunk type ids of the RenderWare sections that the DFF and TXD readers open,
// the ped writer writes and the tests' builders write.
enum class SectionType : std::uint32_t {
    Struct = 0x1,
    String = 0x2,
    Extension = 0x3,
    Texture = 0x6,
    Material = 0x7,
    MaterialList = 0x8,
    FrameList = 0xE,
    Geometry = 0xF,
    Clump = 0x10,
    Atomic = 0x14,
    TextureNative = 0x15,
    TextureDictionary = 0x16,
    GeometryList = 0x1A,
    RightToRender = 0x1F,
    MorphPLG = 0x105,
    SkinPLG = 0x116,
    HAnimPLG = 0x11E,
    BinMeshPLG = 0x50E,
    Breakable = 0x253F2FD,  // the game's breakable-object data; a ped's says "none"
    Frame = 0x253F2FE,
};

constexpr std::uint32_t typeId(SectionType type) {
    return static_cast<std::uint32_t>(type);
}

// The name that messages use for a section of this type.
constexpr std::string_view sectionName(SectionType type) {
    switch (type) {
    case SectionType::Struct: return "Struct";
    case SectionType::String: return "String";
    case SectionType::Extension: return "Extension";
    case SectionType::Texture: return "Texture";
    case SectionType::Material: return "Material";
    case SectionType::MaterialList: return "MaterialList";
    case SectionType::FrameList: return "FrameList";
    case SectionType::Geometry: return "Geometry";
    case SectionType::Clump: return "Clump";
    case SectionType::Atomic: return "Atomic";
    case SectionType::TextureNative: return "TextureNative";
    case SectionType::TextureDictionary: return "TextureDictionary";
    case SectionType::GeometryList: return "GeometryList";
    case SectionType::RightToRender: return "RightToRender";
    case SectionType::MorphPLG: return "MorphPLG";
    case SectionType::SkinPLG: return "SkinPLG";
    case SectionType::HAnimPLG: return "HAnimPLG";
    case SectionType::BinMeshPLG: return "BinMeshPLG";
    case SectionType::Breakable: return "Breakable";
    case SectionType::Frame: return "Frame";
    }
    return "Unknown";
}

}  // namespace zorvek
