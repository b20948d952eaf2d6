#include "rw/Section.h"

#include "base/UserMessageError.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace zorvek {

namespace {

ChunkHeader decodeHeader(const std::uint8_t (&bytes)[chunkHeaderSize]) {
    std::uint32_t words[3];
    std::memcpy(words, bytes, sizeof words);
    static_assert(std::endian::native == std::endian::little, "headers are copied as stored");
    return {words[0], words[1], words[2]};
}

// The path of a section about to be opened, itself included.
std::string pathOfNewSection(const SectionInput& input, std::string_view displayName) {
    std::string path = input.openSectionPath();
    if (!path.empty()) {
        path += '\\';
    }
    path += displayName;
    return path;
}

[[noreturn]] void failNotFound(const SectionInput& input, std::string_view displayName) {
    throw UserMessageError(pathOfNewSection(input, displayName) + "が見つかりません");
}

// Leaves the stream on the first payload byte of the chunk found.
ChunkHeader findChunk(SectionInput& input, const Section_Base* parent, SectionType wanted,
                      std::string_view displayName) {
    for (;;) {
        const std::uint64_t start = input.tell();
        if (input.failed() || input.atEnd()) {
            failNotFound(input, displayName);
        }
        // The parent's end as its header states it: a child that runs past it ends the search.
        if (parent != nullptr && start >= parent->payloadOffset() + parent->size()) {
            failNotFound(input, displayName);
        }
        std::uint8_t bytes[chunkHeaderSize];
        input.read(bytes, chunkHeaderSize);
        if (input.failed()) {
            failNotFound(input, displayName);
        }
        const ChunkHeader header = decodeHeader(bytes);
        // Passed-over chunks are never entered, and their stamps are not checked.
        input.skip(header.size);
        if (header.type != typeId(wanted)) {
            continue;
        }
        if (!stampAccepted(input.stampRule(), header.version)) {
            throw UserMessageError("不明なRW Version IDです");
        }
        input.seek(start + chunkHeaderSize);
        return header;
    }
}

}  // namespace

Section_Base::Section_Base(SectionInput& input, SectionType wanted, std::string_view displayName)
    : input_(input), parent_(input.innermostSection()) {
    header_ = findChunk(input, parent_, wanted, displayName);
    payloadOffset_ = input.tell();
    const std::uint64_t payloadEnd = payloadOffset_ + header_.size;
    // A payload cut off by the end of the file is a broken file; one that runs
    // past its parent is read only up to the parent's end.
    if (payloadEnd > input.fileSize()) {
        failBrokenFile(pathOfNewSection(input, displayName));
    }
    payloadLimit_ = std::min(payloadEnd, input.sectionLimit());
    input.enterSection(this);
}

Section_Base::~Section_Base() {
    input_.seek(payloadOffset_ + header_.size);
    input_.leaveSection(parent_);
}

}  // namespace zorvek
