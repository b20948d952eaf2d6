#pragma once

#include "pmx/PmxModel.h"

#include <cstdint>
#include <span>

namespace zorvek {

// Reads a PMD model (version 1.0), the format before PMX that many classic
// models still use, into the PmxModel that MMD's own conversion would give:
// - names in Shift-JIS, each field cut at its first NUL;
// - vertices BDEF2, the weight byte (0 to 100) over 100; edge off where the
//   vertex says so;
// - a material's texture field "tex.png*sphere.spa" split into its texture
//   and its sphere (.sph multiplies, .spa adds); toon 0 to 9 one of the ten
//   shared toons (or, with the toon extension, the file it names), 0xFF
//   none; both sides drawn where translucent, self shadow except at
//   alpha 0.98, as MMD draws PMD materials;
// - bones by type: rotate, rotate and move, IK, hidden (IK targets and
//   invisible bones), twist as a fixed axis towards the bone's tail,
//   rotation-influenced as inheriting the rotation of its bone; the IK list
//   into the IK bones, its angle limit times 4 and knees limited to bend one
//   way, as MMD treats PMD knees;
// - the "base" morph's vertices with the others' offsets relative to it as
//   vertex morphs;
// - display frames: "Root" and "表情" first, then the bone frames;
// - the optional English names, toon names, rigid bodies (placed relative to
//   their bones) and joints, where the file has them.
// Index widths are the narrowest that hold the model's counts.
//
// Throws UserMessageError "PMDファイルではありません" for a file that does not
// start with "Pmd", one naming the version for a version other than 1.0, and
// "ファイルが壊れています (PMD\<section>\<field>)" for one that ends early,
// whose counts do not fit its bytes or whose indices point past their
// sections.
PmxModel readPmd(std::span<const std::uint8_t> bytes);

}  // namespace zorvek
