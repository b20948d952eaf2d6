#include "rw/TextSections.h"

namespace zorvek {

namespace {

// An empty name chunk is a broken file, as is one that the file cannot hold.
std::string readWholePayload(SectionInput& input, std::uint32_t size) {
    if (size == 0) {
        input.failMalformed();
    }
    input.requireBytes(size);
    std::string text(size, ' ');
    input.read(text.data(), text.size());
    return text;
}

std::string cutAtFirstZero(std::string text) {
    if (const auto zero = text.find('\0'); zero != std::string::npos) {
        text.resize(zero);
    }
    return text;
}

}  // namespace

Section<SectionType::String>::Section(SectionInput& input)
    : Section_Base(input, SectionType::String, sectionName(SectionType::String)),
      text_(cutAtFirstZero(readWholePayload(input, size()))) {}

Section<SectionType::Frame>::Section(SectionInput& input)
    : Section_Base(input, SectionType::Frame, sectionName(SectionType::Frame)),
      text_(readWholePayload(input, size())) {}

}  // namespace zorvek
