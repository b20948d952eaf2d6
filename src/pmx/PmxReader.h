#pragma once

#include "pmx/PmxModel.h"

#include <cstdint>
#include <span>

namespace zorvek {

// Reads a PMX 2.0 or 2.1 model: text in UTF-16LE or UTF-8, indices of 1, 2
// or 4 bytes, up to four additional UVs, every deform, every morph,
// display frames, rigid bodies and joints. What PmxModel has no room for is
// turned into what it holds or left out:
// - SDEF vertices read as BDEF2 (their centre and radii are skipped), QDEF
//   ones (2.1) as BDEF4;
// - 2.1's flip and impulse morphs are left out: the morphs after them move
//   up, and a group morph's or display frame's mention of them is dropped;
// - 2.1's soft bodies are checked and skipped;
// so the model is a 2.0 model, and its header says 2.0. A vertex's bone -1
// stands for none, as in the file; unused bone slots of BDEF1 and BDEF2
// vertices read as 0, and the second weight of a BDEF2 vertex as 1 minus the
// first. Bytes after the last section are ignored.
//
// Throws UserMessageError "PMXファイルではありません" for a file that does not
// start with "PMX ", one naming the version for a version other than 2.0 and
// 2.1, and "ファイルが壊れています (PMX\<section>\<field>)" for one that ends
// early, whose counts do not fit its bytes, whose settings or type bytes hold
// values the format does not have, or whose indices point past their
// sections, as in "PMX\面\頂点" for a face's vertex that does not exist.
PmxModel readPmx(std::span<const std::uint8_t> bytes);

}  // namespace zorvek
