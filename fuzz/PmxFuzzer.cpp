// Reading an MMD model, PMX or PMD (the whole input is the file), and
// converting it to a ped. Besides crashes, it checks what the conversion
// relies on: a model read from any file is one our writer writes as it
// stands (indices within their widths and sections, per-vertex arrays
// whole), our reader reads that file back, and writing what it read again
// gives the same bytes; and a model the conversion accepts makes a DFF our
// own reader reads.

#include "base/UserMessageError.h"
#include "dff/DffModelReader.h"
#include "jobs/PmxToDffJob.h"
#include "pmx/MmdModelReader.h"
#include "pmx/PmxReader.h"
#include "pmx/PmxWriter.h"
#include "rw/SectionInput.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

namespace {

void check(bool holds) {
    if (!holds) {
        std::abort();
    }
}

// What the writer takes on trust: arrays as long as the vertices, as many
// face indices as the materials use at most, each within the vertices.
void checkShape(const zorvek::PmxModel& model) {
    const zorvek::PmxVertices& v = model.vertices;
    const std::size_t n = v.size();
    check(v.normals.size() == n && v.uvs.size() == n && v.weights.size() == n && v.edgeScales.size() == n);
    check(v.deforms.empty() || v.deforms.size() == n);
    check((v.smallBones.size() == n) != (v.bones.size() == n) || n == 0);
    check(v.additionalUvs.size() == model.header.additionalUvCount);
    for (const auto& set : v.additionalUvs) {
        check(set.size() == n);
    }
    check(model.faceIndices.size() % 3 == 0);
    check(std::all_of(model.faceIndices.begin(), model.faceIndices.end(), [n](std::uint32_t i) { return i < n; }));
    std::size_t used = 0;
    for (const zorvek::PmxMaterial& material : model.materials) {
        check(material.faceIndexCount >= 0 && material.faceIndexCount % 3 == 0);
        used += static_cast<std::size_t>(material.faceIndexCount);
    }
    check(used <= model.faceIndices.size());
    check(model.header.version == 2.0f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zorvek::PmxModel model;
    try {
        model = zorvek::readMmdModel(std::span<const std::uint8_t>(data, size));
    } catch (const zorvek::UserMessageError&) {
        return 0;
    }
    checkShape(model);
    const zorvek::ByteBlock first = zorvek::writePmx(model);
    zorvek::PmxModel again;
    try {
        again = zorvek::readPmx(first.span());
    } catch (const zorvek::UserMessageError&) {
        check(false);
    }
    const zorvek::ByteBlock second = zorvek::writePmx(again);
    check(std::equal(first.begin(), first.end(), second.begin(), second.end()));
    zorvek::ByteBlock dff;
    try {
        dff = zorvek::convertPmxBytes(first.span(), {}, [](const std::string&) {});
    } catch (const zorvek::UserMessageError&) {
        return 0;  // a model without the game's bones, or too large
    }
    zorvek::DffModel ped;
    try {
        zorvek::SectionInput input(dff.span());
        zorvek::readDffModel(input, ped, [](const std::string&) {});
    } catch (const zorvek::UserMessageError&) {
        check(false);
    }
    check(ped.positions.size() == model.vertices.size() && ped.frames.size() == 33);
    return 0;
}
