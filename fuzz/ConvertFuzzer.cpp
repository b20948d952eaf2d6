// The whole conversion of a DFF to PMX bytes in memory. The first byte picks
// the conversion mode, the rest is the DFF file.

#include "FuzzTables.h"

#include "common/UserMessageError.h"
#include "pmx/DffModelReader.h"
#include "pmx/PmxWriter.h"
#include "pmx/Skeleton.h"
#include "rw/SectionInput.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace {

void ignoreWarning(const std::string&) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zorvek;
    if (size == 0) {
        return 0;
    }
    const auto mode = static_cast<ConversionMode>(data[0] % 3);
    const fuzz::ShippedTables& tables = fuzz::shippedTables();
    try {
        DffModel model;
        {
            SectionInput input(std::span(data + 1, size - 1));
            readDffModel(input, model, ignoreWarning);
        }
        numberTextures(model);
        prepareSkeleton(model, mode, tables.bones);
        const PmxTexts texts{u"fuzz.dff", u".png"};
        buildPmx(model, mode, tables.bones, tables.iks, texts, ignoreWarning);
    } catch (const UserMessageError&) {
        // A refused file is an expected outcome; anything else escapes and is a finding.
    }
    return 0;
}
