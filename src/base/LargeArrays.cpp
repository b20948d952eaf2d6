#include "base/LargeArrays.h"

#include <new>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace zorvek {

namespace {

#ifdef __linux__
constexpr std::size_t hugePageSize = std::size_t{2} << 20;

bool usesHugePages(std::size_t bytes) {
    return bytes >= hugePageSize;
}

// The whole of the last huge page is resident once any byte of it is
// touched, so the block may as well own it.
std::size_t roundedToHugePages(std::size_t bytes) {
    return (bytes + hugePageSize - 1) / hugePageSize * hugePageSize;
}
#endif

}  // namespace

void* allocateLargeBlock(std::size_t bytes) {
#ifdef __linux__
    if (usesHugePages(bytes)) {
        const std::size_t rounded = roundedToHugePages(bytes);
        void* block = ::operator new (rounded, std::align_val_t{hugePageSize});
        // Only advice: where huge pages are switched off the block works as it is.
        ::madvise(block, rounded, MADV_HUGEPAGE);
        return block;
    }
#endif
    return ::operator new(bytes);
}

void freeLargeBlock(void* block, std::size_t bytes) noexcept {
    if (block == nullptr) {
        return;
    }
#ifdef __linux__
    if (usesHugePages(bytes)) {
        ::operator delete (block, std::align_val_t{hugePageSize});
        return;
    }
#endif
    (void)bytes;
    ::operator delete(block);
}

ByteBlock::ByteBlock(std::size_t size)
    : bytes_(static_cast<std::uint8_t*>(allocateLargeBlock(size)), LargeBlockRelease{size}), size_(size) {}

}  // namespace zorvek
