#include "pmx/PmxBuffer.h"

#include <stdexcept>
#include <string>
#include <utility>

namespace zorvek {

PmxBuffer::PmxBuffer(int boneIndexSize, std::size_t size)
    : bytes_(size), cursor_(bytes_.data()), boneIndexSize_(boneIndexSize) {}

void PmxBuffer::refuseOverrun(std::size_t n) const {
    throw std::logic_error("the PMX writers go past the computed file size of " + std::to_string(bytes_.size()) +
                           " bytes: " + std::to_string(n) + " more after " + std::to_string(written()));
}

void PmxBuffer::writeNarrowText(std::string_view bytes) {
    std::uint8_t* at = take(textSize(bytes.size()));
    at = store(at, static_cast<std::int32_t>(bytes.size() * 2));
    for (char byte : bytes) {
        at = store(at, static_cast<std::uint16_t>(static_cast<std::uint8_t>(byte)));
    }
}

void PmxBuffer::writeWideText(std::u16string_view text) {
    std::uint8_t* at = take(textSize(text.size()));
    at = store(at, static_cast<std::int32_t>(text.size() * 2));
    for (char16_t unit : text) {
        at = store(at, static_cast<std::uint16_t>(unit));
    }
}

ByteBlock PmxBuffer::finish() {
    if (written() != bytes_.size()) {
        throw std::logic_error("the PMX writers stop at " + std::to_string(written()) + " of the computed " +
                               std::to_string(bytes_.size()) + " bytes");
    }
    cursor_ = nullptr;
    return std::move(bytes_);
}

}  // namespace zorvek
