#pragma once

#include <filesystem>
#include <string_view>

namespace zorvek {

// Where an image a model names was looked for.
enum class ImageLookup {
    Found,
    Missing,  // no such file under the model's folder
    Outside,  // the name leads outside the model's folder (or is no name a folder holds)
};

struct FoundImage {
    ImageLookup lookup = ImageLookup::Missing;
    std::filesystem::path path;  // when found
};

// The file a model's texture name (as the PMX spells it, `\` or `/` between
// folders) names under the model's folder. Each folder and the file name are matched exactly, and
// where the file system tells case apart and the exact name is not there,
// without regard to ASCII case (models come from Windows). An absolute name,
// a drive letter, a ':' anywhere or ".." above the model's folder is never
// looked for, and a file found through a link that leads outside the folder
// counts as outside: a downloaded model must not make us read other files of
// the user's.
FoundImage findModelImage(const std::filesystem::path& modelFolder, std::u16string_view name);

}  // namespace zorvek
