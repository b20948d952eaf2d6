#include "base/FileIo.h"

#include "base/UserMessageError.h"

#include <cstdio>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zorvek {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Binary mode everywhere: text mode would stop at 0x1A and rewrite CR LF on Windows.
FileHandle openFile(const std::filesystem::path& path, bool forWriting) {
#ifdef _WIN32
    if (!forWriting) {
        return FileHandle(_wfopen(path.c_str(), L"rb"));
    }
    // msvcrt.dll, the runtime of mingw-w64 programs, refuses the "x" of "wbx":
    // the file is created exclusively by _wopen and then given a stream.
    const int descriptor = _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (descriptor < 0) {
        return nullptr;
    }
    std::FILE* file = _fdopen(descriptor, "wb");
    if (file == nullptr) {
        _close(descriptor);
    }
    return FileHandle(file);
#else
    return FileHandle(std::fopen(path.c_str(), forWriting ? "wbx" : "rb"));
#endif
}

constexpr std::int64_t maxInputSize = std::numeric_limits<std::int32_t>::max();

[[noreturn]] void cannotOpen(const std::filesystem::path& path) {
    throw FileAccessError("ファイルを開けませんでした", path);
}

[[noreturn]] void cannotWrite(const std::filesystem::path& path) {
    throw FileAccessError("ファイルに書き込めませんでした", path);
}

struct OpenedInput {
    FileHandle file;
    std::size_t size = 0;
};

OpenedInput openInput(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        cannotOpen(path);
    }
    FileHandle file = openFile(path, false);
    if (!file) {
        cannotOpen(path);
    }
    const auto size = std::filesystem::file_size(path, error);
    if (error || size > static_cast<std::uintmax_t>(maxInputSize)) {
        cannotOpen(path);
    }
    return {std::move(file), static_cast<std::size_t>(size)};
}

template <typename Buffer>
Buffer readInto(const std::filesystem::path& path) {
    const OpenedInput input = openInput(path);
    Buffer bytes(input.size);
    if (input.size != 0 && std::fread(bytes.data(), 1, input.size, input.file.get()) != input.size) {
        cannotOpen(path);
    }
    return bytes;
}

}  // namespace

Bytes readWholeFile(const std::filesystem::path& path) {
    return readInto<Bytes>(path);
}

ByteBlock readLargeFile(const std::filesystem::path& path) {
    return readInto<ByteBlock>(path);
}

namespace {

std::filesystem::path temporaryPathBeside(const std::filesystem::path& target) {
    std::random_device seed;
    std::mt19937 generator(seed());
    std::filesystem::path temporary = target;
    temporary += ".zorvek-" + std::to_string(generator() % 1000000000u) + ".tmp";
    return temporary;
}

// Removes the temporary file unless the write reached its rename.
class TemporaryFile {
public:
    explicit TemporaryFile(std::filesystem::path path) : path_(std::move(path)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (!kept_) {
            std::error_code ignored;
            std::filesystem::remove(path_, ignored);
        }
    }
    const std::filesystem::path& path() const { return path_; }
    void keep() { kept_ = true; }

private:
    std::filesystem::path path_;
    bool kept_ = false;
};

bool flushToDisk(std::FILE* file) {
    if (std::fflush(file) != 0) {
        return false;
    }
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

}  // namespace

namespace {

// Fills a new temporary file beside the target and renames it over the target
// once every byte is written and flushed; `fill` reports whether its writes succeeded.
void writeAtomically(const std::filesystem::path& path, const std::function<bool(std::FILE*)>& fill) {
    std::unique_ptr<TemporaryFile> temporary;
    FileHandle file;
    for (int attempt = 0; attempt < 8 && !file; ++attempt) {
        temporary = std::make_unique<TemporaryFile>(temporaryPathBeside(path));
        file = openFile(temporary->path(), true);
    }
    if (!file) {
        temporary->keep();  // never created, nothing to remove
        cannotOpen(path);
    }
    const bool written = fill(file.get());
    const bool flushed = written && flushToDisk(file.get());
    const bool closed = std::fclose(file.release()) == 0;
    if (!written || !flushed || !closed) {
        cannotWrite(path);
    }
    std::error_code error;
    std::filesystem::rename(temporary->path(), path, error);
    if (error) {
        cannotWrite(path);
    }
    temporary->keep();
}

bool writeAt(std::FILE* file, std::span<const std::uint8_t> bytes, std::size_t offset) {
    if (bytes.empty()) {
        return true;
    }
    return std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0 &&
           std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

// Copies exactly `size` bytes of the source into the empty file without passing
// them through memory; false when the system cannot or the source has changed size.
bool copyInKernel(const std::filesystem::path& source, std::FILE* target, std::uint64_t size) {
#ifdef __linux__
    const int from = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (from < 0) {
        return false;
    }
    struct stat status {};
    bool copied = ::fstat(from, &status) == 0 && static_cast<std::uint64_t>(status.st_size) == size;
    for (std::uint64_t done = 0; copied && done < size;) {
        const ssize_t n = ::copy_file_range(from, nullptr, fileno(target), nullptr, size - done, 0);
        copied = n > 0;
        done += copied ? static_cast<std::uint64_t>(n) : 0;
    }
    ::close(from);
    return copied;
#else
    (void)source, (void)target, (void)size;
    return false;
#endif
}

}  // namespace

bool isSameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    if (a == b) {
        return true;
    }
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

namespace {

#ifdef __linux__
constexpr std::size_t directBlock = 4096;
constexpr std::size_t directMinimum = std::size_t{8} << 20;

// The whole blocks of a large, block-aligned output go to the disk without a
// copy in the page cache, which the flush that follows would only write out
// again. False where the file system does not allow it; the caller then
// writes every byte the ordinary way, over whatever got through.
bool writeBlocksDirectly(std::FILE* file, std::span<const std::uint8_t> blocks) {
    const int descriptor = fileno(file);
    const int flags = ::fcntl(descriptor, F_GETFL);
    if (flags < 0 || ::fcntl(descriptor, F_SETFL, flags | O_DIRECT) != 0) {
        return false;
    }
    std::size_t done = 0;
    while (done < blocks.size()) {
        const ssize_t n = ::pwrite(descriptor, blocks.data() + done, blocks.size() - done, static_cast<off_t>(done));
        if (n <= 0 || static_cast<std::size_t>(n) % directBlock != 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    const bool restored = ::fcntl(descriptor, F_SETFL, flags) == 0;
    return restored && done == blocks.size();
}
#endif

bool writeWhole(std::FILE* file, std::span<const std::uint8_t> bytes) {
#ifdef __linux__
    const std::size_t blocks = bytes.size() / directBlock * directBlock;
    if (bytes.size() >= directMinimum && reinterpret_cast<std::uintptr_t>(bytes.data()) % directBlock == 0 &&
        writeBlocksDirectly(file, bytes.first(blocks))) {
        return writeAt(file, bytes.subspan(blocks), blocks);
    }
#endif
    return writeAt(file, bytes, 0);
}

}  // namespace

void writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    writeAtomically(path, [&](std::FILE* file) { return writeWhole(file, bytes); });
}

void writePatchedCopyAtomically(const std::filesystem::path& path, const std::filesystem::path& source,
                                std::span<const std::uint8_t> bytes, std::span<const ByteRange> changed) {
    writeAtomically(path, [&](std::FILE* file) {
        if (!copyInKernel(source, file, bytes.size())) {
            return writeAt(file, bytes, 0);
        }
        for (const ByteRange& range : changed) {
            if (!writeAt(file, bytes.subspan(range.offset, range.size), range.offset)) {
                return false;
            }
        }
        return true;
    });
}

}  // namespace zorvek
