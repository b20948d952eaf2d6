#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <stdexcept>

namespace zorvek::test {

namespace {

// The test that made a folder, as a folder name: "Suite.Test", parameterised
// names with "_" for "/", then the folder's number within the test.
std::string currentTestFolder() {
    const ::testing::UnitTest& unit = *::testing::UnitTest::GetInstance();
    std::string name = "outside-tests";
    if (const ::testing::TestInfo* test = unit.current_test_info()) {
        name = std::string(test->test_suite_name()) + "." + test->name();
    } else if (const ::testing::TestSuite* suite = unit.current_test_suite()) {
        name = std::string(suite->name()) + ".suite";
    }
    for (char& c : name) {
        c = c == '/' ? '_' : c;
    }
    static std::map<std::string, int> made;
    return name + "." + std::to_string(made[name]++);
}

bool isMotion(const std::filesystem::path& file) {
    // Compared as paths: a name the narrow code page cannot spell stays a path.
    const std::filesystem::path extension = file.extension();
    return extension == ".vmd" || extension == ".ifp" || extension == ".VMD" || extension == ".IFP";
}

// With ZORVEK_TEST_MOTIONS_DIR set, the motions a test leaves in its folder
// are kept there under the test's name, so that the Windows build's and the
// Linux build's can be compared byte for byte (tests/windows/test-motions.sh).
void keepMotions(const std::filesystem::path& folder, const std::string& testFolder) {
    const char* kept = std::getenv("ZORVEK_TEST_MOTIONS_DIR");
    if (kept == nullptr || *kept == '\0') {
        return;
    }
    const std::filesystem::path target = std::filesystem::path(kept) / testFolder;
    std::filesystem::create_directories(target);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file() && isMotion(entry.path())) {
            const std::filesystem::path copy = target / std::filesystem::relative(entry.path(), folder);
            std::filesystem::create_directories(copy.parent_path());
            std::filesystem::copy_file(entry.path(), copy, std::filesystem::copy_options::overwrite_existing);
        }
    }
}

}  // namespace

TempDir::TempDir() {
    std::random_device seed;
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = std::filesystem::temp_directory_path() / ("zorvek-test-" + std::to_string(seed()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            testFolder_ = currentTestFolder();
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    try {
        keepMotions(path_, testFolder_);
    } catch (const std::exception& error) {
        ADD_FAILURE() << "cannot keep the motions of " << testFolder_ << ": " << error.what();
    }
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TempDir::write(std::string_view name, std::span<const std::uint8_t> bytes) const {
    return write(name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::filesystem::path TempDir::write(std::string_view name, std::string_view bytes) const {
    const auto file = path_ / name;
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write test file");
    }
    return file;
}

Bytes readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace zorvek::test
