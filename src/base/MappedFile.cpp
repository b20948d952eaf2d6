#include "base/MappedFile.h"

#include "base/UserMessageError.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <limits>

namespace zorvek {

#ifndef _WIN32
namespace {

// Closes the descriptor when the constructor leaves, mapped or not.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

}  // namespace
#endif

MappedFile::MappedFile(const std::filesystem::path& path) {
#ifndef _WIN32
    const Descriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    struct stat status {};
    if (file.fd >= 0 && ::fstat(file.fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0 &&
        status.st_size <= std::numeric_limits<std::int32_t>::max()) {
        void* view =
            ::mmap(nullptr, static_cast<std::size_t>(status.st_size), PROT_READ | PROT_WRITE, MAP_PRIVATE, file.fd, 0);
        if (view != MAP_FAILED) {
            data_ = static_cast<std::uint8_t*>(view);
            size_ = static_cast<std::size_t>(status.st_size);
            mapped_ = true;
            return;
        }
    }
#endif
    fallback_ = readWholeFile(path);
    data_ = fallback_.data();
    size_ = fallback_.size();
}

MappedFile::~MappedFile() {
#ifndef _WIN32
    if (mapped_) {
        ::munmap(data_, size_);
    }
#endif
}

}  // namespace zorvek
