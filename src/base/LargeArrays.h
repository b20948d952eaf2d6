#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <span>
#include <utility>
#include <vector>

namespace zorvek {

// Memory for the arrays of a large model and for a whole output file. On
// Linux a block of 2 MiB or more is aligned to and rounded up to whole huge
// pages, which the system is asked to use: on a model of a million vertices
// the page faults of ordinary 4 KiB pages cost more than filling the memory.
// Elsewhere it is ordinary heap memory. The bytes are not initialised.
void* allocateLargeBlock(std::size_t bytes);
void freeLargeBlock(void* block, std::size_t bytes) noexcept;

template <typename T>
struct LargeArrayAllocator {
    using value_type = T;

    LargeArrayAllocator() = default;
    template <typename U>
    LargeArrayAllocator(const LargeArrayAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) {
        if (n > static_cast<std::size_t>(-1) / sizeof(T)) {
            throw std::bad_array_new_length();
        }
        return static_cast<T*>(allocateLargeBlock(n * sizeof(T)));
    }
    void deallocate(T* values, std::size_t n) noexcept { freeLargeBlock(values, n * sizeof(T)); }

    template <typename U>
    friend bool operator==(const LargeArrayAllocator&, const LargeArrayAllocator<U>&) noexcept {
        return true;
    }
};

// The per-vertex and per-index arrays of a model.
template <typename T>
using LargeArray = std::vector<T, LargeArrayAllocator<T>>;

// Frees a block of allocateLargeBlock with the size it was allocated for.
struct LargeBlockRelease {
    std::size_t size = 0;
    void operator()(void* block) const noexcept { freeLargeBlock(block, size); }
};

// A fixed number of bytes, allocated once and not zeroed: an output file
// that is written front to back exactly once.
class ByteBlock {
public:
    ByteBlock() = default;
    explicit ByteBlock(std::size_t size);
    ByteBlock(ByteBlock&& other) noexcept : bytes_(std::move(other.bytes_)), size_(std::exchange(other.size_, 0)) {}
    ByteBlock& operator=(ByteBlock&& other) noexcept {
        bytes_ = std::move(other.bytes_);
        size_ = std::exchange(other.size_, 0);
        return *this;
    }

    std::uint8_t* data() { return bytes_.get(); }
    const std::uint8_t* data() const { return bytes_.get(); }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    std::uint8_t* begin() { return data(); }
    std::uint8_t* end() { return data() + size_; }
    const std::uint8_t* begin() const { return data(); }
    const std::uint8_t* end() const { return data() + size_; }
    std::span<const std::uint8_t> span() const { return {data(), size_}; }

private:
    std::unique_ptr<std::uint8_t[], LargeBlockRelease> bytes_;
    std::size_t size_ = 0;
};

}  // namespace zorvek
