#pragma once

// What the sample's geometry and its textures agree on: the materials and
// which rows of each texture the body parts use (texture v grows downwards).

#include <array>
#include <cstdint>

namespace zorvek::sample {

// Material list order.
enum SampleMaterial : std::uint16_t { SkinMaterial, ClothesMaterial, HairMaterial };
inline constexpr std::array<const char*, 3> textureNames = {"sample_skin", "sample_clothes", "sample_hair"};

// Skin: the head is mapped by polar angle (v = headRows * angle / pi, the
// crown at the top) and azimuth (the face at u = 0.5); neck, arms and hands below it.
inline constexpr float skinHeadRows = 0.75f;
inline constexpr float skinNeckTop = 0.78f;
inline constexpr float skinNeckBottom = 0.82f;
inline constexpr float skinArmTop = 0.82f;
inline constexpr float skinArmBottom = 0.94f;
inline constexpr float skinHandTop = 0.95f;
inline constexpr float skinHandBottom = 1.0f;

// Clothes: the shirt on top, then the belt and the trousers' hips (the
// torso), the trouser legs, the shoes. Around a shoe the seam runs along its sole.
inline constexpr float clothesShirtTop = 0.0f;
inline constexpr float clothesBeltTop = 0.36f;
inline constexpr float clothesBeltBottom = 0.40f;
inline constexpr float clothesTorsoBottom = 0.5f;
inline constexpr float clothesLegTop = 0.5f;
inline constexpr float clothesLegBottom = 0.875f;
inline constexpr float clothesShoeTop = 0.875f;
inline constexpr float clothesShoeBottom = 1.0f;
inline constexpr float clothesSleeveTop = 0.08f;
inline constexpr float clothesSleeveBottom = 0.30f;

}  // namespace zorvek::sample
