#include "rw/SectionInput.h"

#include "base/UserMessageError.h"
#include "rw/Section.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace zorvek {

void failBrokenFile(const std::string& sectionPath) {
    throw UserMessageError("ファイルが壊れています (" + sectionPath + ")");
}

void SectionInput::read(void* buffer, std::size_t n) {
    if (n == 0 || failed_) {
        return;
    }
    const std::uint64_t available = atEnd() ? 0 : file_.size() - position_;
    const std::size_t copied = static_cast<std::size_t>(std::min<std::uint64_t>(n, available));
    if (copied != 0) {
        std::memcpy(buffer, file_.data() + position_, copied);
    }
    position_ += copied;
    if (copied < n) {
        failed_ = true;
    }
}

void SectionInput::skip(std::uint32_t n) {
    if (!failed_) {
        position_ += n;
    }
}

void SectionInput::seek(std::uint64_t offset) {
    if (!failed_) {
        position_ = offset;
    }
}

std::string SectionInput::openSectionPath() const {
    std::vector<std::string_view> names;
    for (const Section_Base* section = innermost_; section != nullptr; section = section->parent()) {
        names.push_back(section->name());
    }
    std::string path;
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
        if (!path.empty()) {
            path += '\\';
        }
        path += *name;
    }
    return path;
}

std::uint64_t SectionInput::sectionLimit() const {
    return innermost_ != nullptr ? innermost_->payloadLimit() : file_.size();
}

std::uint64_t SectionInput::bytesLeftInSection() const {
    const std::uint64_t limit = sectionLimit();
    return failed_ || position_ >= limit ? 0 : limit - position_;
}

void SectionInput::requireBytes(std::uint64_t n) const {
    if (n > bytesLeftInSection()) {
        failMalformed();
    }
}

std::uint32_t SectionInput::requireCount(std::int32_t count) const {
    if (count < 0) {
        failMalformed();
    }
    return static_cast<std::uint32_t>(count);
}

void SectionInput::failMalformed() const {
    failBrokenFile(openSectionPath());
}

std::uint8_t SectionInput::readU8() {
    requireBytes(1);
    std::uint8_t value = 0;
    read(&value, 1);
    return value;
}

std::uint16_t SectionInput::readU16() {
    requireBytes(2);
    std::uint8_t bytes[2] = {};
    read(bytes, 2);
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

std::uint32_t SectionInput::readU32() {
    requireBytes(4);
    std::uint8_t bytes[4] = {};
    read(bytes, 4);
    return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
           std::uint32_t{bytes[3]} << 24;
}

std::int32_t SectionInput::readI32() {
    return static_cast<std::int32_t>(readU32());
}

float SectionInput::readF32() {
    return std::bit_cast<float>(readU32());
}

void SectionInput::skipInSection(std::uint64_t n) {
    requireBytes(n);
    position_ += n;
}

std::span<const std::uint8_t> SectionInput::readView(std::uint64_t n) {
    requireBytes(n);
    const auto view = file_.subspan(static_cast<std::size_t>(position_), static_cast<std::size_t>(n));
    position_ += n;
    return view;
}

}  // namespace zorvek
