#include "base/BlockWriter.h"

#include <stdexcept>
#include <string>
#include <utility>

namespace zorvek {

BlockWriter::BlockWriter(std::size_t size) : bytes_(size), cursor_(bytes_.data()) {}

void BlockWriter::refuseOverrun(std::size_t n) const {
    throw std::logic_error("a writer goes past the computed file size of " + std::to_string(bytes_.size()) +
                           " bytes: " + std::to_string(n) + " more after " + std::to_string(written()));
}

void BlockWriter::appendBytes(std::span<const std::uint8_t> bytes) {
    std::uint8_t* const at = take(bytes.size());
    if (!bytes.empty()) {
        std::memcpy(at, bytes.data(), bytes.size());
    }
}

std::uint8_t* BlockWriter::storeFixedText(std::uint8_t* at, std::string_view bytes, std::size_t width) {
    if (bytes.size() > width) {
        throw std::logic_error("a text of " + std::to_string(bytes.size()) + " bytes in a field of " +
                               std::to_string(width));
    }
    if (!bytes.empty()) {
        std::memcpy(at, bytes.data(), bytes.size());
    }
    std::memset(at + bytes.size(), 0, width - bytes.size());
    return at + width;
}

ByteBlock BlockWriter::finish() {
    if (written() != bytes_.size()) {
        throw std::logic_error("a writer stops at " + std::to_string(written()) + " of the computed " +
                               std::to_string(bytes_.size()) + " bytes");
    }
    cursor_ = nullptr;
    return std::move(bytes_);
}

}  // namespace zorvek
