#pragma once

#include "rw/VersionStamp.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

namespace zorvek {

class Section_Base;

// Walks values of T stored one after another at any byte offset, each read
// as a copy of its bytes. vector::assign takes them in one allocation and
// constructs each element once, where resize would zero it first.
template <typename T>
class StoredValue {
public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = T;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = T;

    explicit StoredValue(const std::uint8_t* at) : at_(at) {}

    T operator*() const {
        T value;
        std::memcpy(&value, at_, sizeof(T));
        return value;
    }
    StoredValue& operator++() {
        at_ += sizeof(T);
        return *this;
    }
    StoredValue operator++(int) {
        StoredValue before = *this;
        at_ += sizeof(T);
        return before;
    }
    StoredValue& operator--() {
        at_ -= sizeof(T);
        return *this;
    }
    StoredValue& operator+=(difference_type n) {
        at_ += n * static_cast<difference_type>(sizeof(T));
        return *this;
    }
    StoredValue operator+(difference_type n) const { return StoredValue(*this) += n; }
    difference_type operator-(const StoredValue& other) const {
        return (at_ - other.at_) / static_cast<difference_type>(sizeof(T));
    }
    bool operator==(const StoredValue& other) const { return at_ == other.at_; }

private:
    const std::uint8_t* at_;
};

// The error for a file whose chunks cannot hold what they claim; the path
// names the open sections, for example Clump\FrameList\Struct.
[[noreturn]] void failBrokenFile(const std::string& sectionPath);

// The DFF input: a read-only stream over the whole file's bytes (a view; the
// caller keeps them alive) and the innermost open section.
//
// The stream part behaves like a binary file stream: a read that runs into
// the end of the file copies what is there, leaves the rest of the buffer as
// it was and leaves the stream failed for good. The checked part (readU32,
// readArray, ...) reads only inside the innermost open section and refuses
// anything beyond it as a broken file, which is how payload readers must read.
class SectionInput {
public:
    explicit SectionInput(std::span<const std::uint8_t> file, StampRule stampRule = StampRule::Dff)
        : file_(file), stampRule_(stampRule) {}
    SectionInput(const SectionInput&) = delete;
    SectionInput& operator=(const SectionInput&) = delete;

    void read(void* buffer, std::size_t n);
    void skip(std::uint32_t n);
    std::uint64_t tell() const { return position_; }
    void seek(std::uint64_t offset);
    bool failed() const { return failed_; }
    bool atEnd() const { return position_ >= file_.size(); }
    std::uint64_t fileSize() const { return file_.size(); }
    StampRule stampRule() const { return stampRule_; }

    const Section_Base* innermostSection() const { return innermost_; }
    // Names of the open sections, outermost first, joined by backslashes.
    std::string openSectionPath() const;

    // Bytes left before the end of the innermost section's payload (or of
    // the file at the top level); none once the stream has failed.
    std::uint64_t bytesLeftInSection() const;
    // Throws the broken-file error unless n more bytes lie inside the section.
    void requireBytes(std::uint64_t n) const;
    // A count stored signed; a negative one is a broken file.
    std::uint32_t requireCount(std::int32_t count) const;
    [[noreturn]] void failMalformed() const;

    std::uint8_t readU8();
    std::uint16_t readU16();
    std::uint32_t readU32();
    std::int32_t readI32();
    float readF32();
    void skipInSection(std::uint64_t n);
    // The next n bytes of the section without copying them; they stay valid
    // as long as the file's bytes do.
    std::span<const std::uint8_t> readView(std::uint64_t n);

    // Fills the values from the file as one block: element types are plain
    // 4-byte little-endian words or bytes, laid out exactly as on disk.
    template <typename T>
    void readArray(std::span<T> values) {
        static_assert(std::is_trivially_copyable_v<T>);
        static_assert(std::endian::native == std::endian::little, "arrays are copied as stored");
        const std::uint64_t bytes = std::uint64_t{values.size()} * sizeof(T);
        requireBytes(bytes);
        read(values.data(), static_cast<std::size_t>(bytes));
    }

    // Replaces the vector's contents with `count` such values. The count is
    // checked against the section before anything is allocated, and the new
    // elements are copied straight from the file rather than zeroed first.
    template <typename T, typename Allocator>
    void readArray(std::vector<T, Allocator>& values, std::uint64_t count) {
        static_assert(std::is_trivially_copyable_v<T>);
        static_assert(std::endian::native == std::endian::little, "arrays are copied as stored");
        if (count > bytesLeftInSection() / sizeof(T)) {
            failMalformed();
        }
        values.clear();
        if (count == 0) {
            return;
        }
        const StoredValue<T> first{file_.data() + position_};
        values.assign(first, first + static_cast<std::ptrdiff_t>(count));
        position_ += count * sizeof(T);
    }

private:
    friend class Section_Base;

    // The end of the innermost section's payload as far as it can be read.
    std::uint64_t sectionLimit() const;
    void enterSection(const Section_Base* section) { innermost_ = section; }
    void leaveSection(const Section_Base* parent) { innermost_ = parent; }

    std::span<const std::uint8_t> file_;
    StampRule stampRule_;
    std::uint64_t position_ = 0;
    bool failed_ = false;
    const Section_Base* innermost_ = nullptr;
};

}  // namespace zorvek
