#pragma once

#include "rw/ChunkHeader.h"
#include "rw/SectionInput.h"
#include "rw/SectionType.h"

#include <cstdint>
#include <string_view>

namespace zorvek {

// An open chunk. Constructing one searches forward, among the chunks of the
// innermost open section, for the next chunk of the wanted type, checks its
// stamp and makes it the innermost section, with the stream on its first
// payload byte. Destroying it moves the stream to the end of its payload and
// makes its parent the innermost section again. Sections nest like scopes.
class Section_Base {
public:
    // The display name is the one name() returns; the not-found message needs
    // it before the derived object exists.
    Section_Base(SectionInput& input, SectionType wanted, std::string_view displayName);
    virtual ~Section_Base();
    Section_Base(const Section_Base&) = delete;
    Section_Base& operator=(const Section_Base&) = delete;

    virtual std::string_view name() const { return "Unknown"; }

    const Section_Base* parent() const { return parent_; }
    std::uint64_t payloadOffset() const { return payloadOffset_; }
    const ChunkHeader& header() const { return header_; }
    std::uint32_t size() const { return header_.size; }
    // The end of the payload as far as it can be read: never past the
    // parent's, nor past the end of the file.
    std::uint64_t payloadLimit() const { return payloadLimit_; }

private:
    SectionInput& input_;
    const Section_Base* parent_;
    std::uint64_t payloadOffset_ = 0;
    ChunkHeader header_;
    std::uint64_t payloadLimit_ = 0;
};

// A section whose payload the command reads itself through SectionInput.
template <SectionType T>
class Section final : public Section_Base {
public:
    explicit Section(SectionInput& input) : Section_Base(input, T, sectionName(T)) {}
    std::string_view name() const override { return sectionName(T); }
};

// These read their payload when opened; include their own headers
// (TextSections.h, HAnimSection.h, BinMeshSection.h, SkinSection.h).
template <>
class Section<SectionType::String>;
template <>
class Section<SectionType::Frame>;
template <>
class Section<SectionType::HAnimPLG>;
template <>
class Section<SectionType::BinMeshPLG>;
template <>
class Section<SectionType::SkinPLG>;

}  // namespace zorvek
