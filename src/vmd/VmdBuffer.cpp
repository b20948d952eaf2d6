#include "vmd/VmdBuffer.h"

#include <stdexcept>
#include <string>
#include <utility>

namespace zorvek {

VmdBuffer::VmdBuffer(std::size_t size) : bytes_(size), cursor_(bytes_.data()) {}

void VmdBuffer::refuseOverrun(std::size_t n) const {
    throw std::logic_error("the VMD writer goes past the computed file size of " + std::to_string(bytes_.size()) +
                           " bytes: " + std::to_string(n) + " more after " + std::to_string(written()));
}

std::uint8_t* VmdBuffer::storeFixedText(std::uint8_t* at, std::string_view bytes, std::size_t width) {
    if (bytes.size() > width) {
        throw std::logic_error("a VMD text of " + std::to_string(bytes.size()) + " bytes in a field of " +
                               std::to_string(width));
    }
    if (!bytes.empty()) {
        std::memcpy(at, bytes.data(), bytes.size());
    }
    std::memset(at + bytes.size(), 0, width - bytes.size());
    return at + width;
}

ByteBlock VmdBuffer::finish() {
    if (written() != bytes_.size()) {
        throw std::logic_error("the VMD writer stops at " + std::to_string(written()) + " of the computed " +
                               std::to_string(bytes_.size()) + " bytes");
    }
    cursor_ = nullptr;
    return std::move(bytes_);
}

}  // namespace zorvek
