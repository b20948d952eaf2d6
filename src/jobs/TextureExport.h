#pragma once

#include "base/FileIo.h"
#include "base/Warnings.h"
#include "dff/DffModel.h"
#include "image/ImageFormat.h"
#include "txd/TextureDictionary.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zorvek {

// The texture dictionary that belongs to a model: the TXD with the DFF's base
// name in the DFF's folder, its name compared without regard to case (a game
// folder copied from Windows mixes cases); nothing when there is none.
std::optional<std::filesystem::path> findTextureDictionaryFor(const std::filesystem::path& dff);

// The images written in one run, so that a batch writing several models into
// one folder never lets one model's image replace another's of the same name.
class WrittenImages {
public:
    // What an image file written earlier in this run holds, if one was.
    enum class Earlier { None, Same, Different };
    Earlier compare(const std::filesystem::path& path, const Bytes& encoded) const;
    void remember(const std::filesystem::path& path, const Bytes& encoded);

private:
    std::map<std::filesystem::path, std::uint64_t> digests_;
};

// One image to write: a texture of the dictionary under the name the PMX gives it.
struct TextureImage {
    std::string textureName;  // as the dictionary names it
    std::u16string fileName;  // as the PMX spells it, extension included
    std::filesystem::path path;
    Bytes encoded;
    bool shared = false;  // the same image was written earlier in this run: nothing to write
};

// The textures of one model, decided before its PMX is built, so that the
// PMX names what is written.
struct TexturePlan {
    bool formatWritable = true;  // false: the typed extension names no image format we write
    std::vector<TextureImage> images;
    // Texture name -> the name the PMX gives it instead (extension not included).
    std::map<std::string, std::u16string> renamed;
    // Held until the images are written, so that they follow the PMX's progress lines.
    std::vector<std::string> warnings;
};

// The name a texture's image file gets (extension not included): the
// texture's name made safe as a file name, since it comes from the file.
std::u16string textureFileStem(std::u16string_view textureName);

// "テクスチャ名をファイル名に使えないため変更しました: <name> → <file name>".
std::string renamedTextureWarning(std::u16string_view textureName, std::u16string_view fileStem);

// The extension's image format, or a warning that textures of that format
// cannot be written.
std::optional<ImageFormat> textureImageFormat(std::string_view extension, std::vector<std::string>& warnings);

// The textures of the dictionary that the model's materials name (without
// regard to case), decoded; only the first of a name, as RenderWare finds
// the first. The others are never decoded.
TextureDictionary decodeModelTextures(const DffModel& model, const StoredTextureDictionary& stored);

// Matches the model's texture names to the dictionary (without regard to
// case, as RenderWare does) and encodes each image once. A name the dictionary
// lacks is a warning. With `written`, a name already written in this run with
// other pixels is renamed "<model>_<name>"; identical images are shared.
TexturePlan planModelTextures(const DffModel& model, const TextureDictionary& dictionary, ImageFormat format,
                              std::string_view extension, const std::filesystem::path& folder,
                              const std::u16string& modelName, const WrittenImages* written);

// Every texture of a dictionary, named after itself, for unpacking a TXD.
TexturePlan planDictionaryTextures(const TextureDictionary& dictionary, ImageFormat format, std::string_view extension,
                                   const std::filesystem::path& folder, const std::u16string& dictionaryName,
                                   const WrittenImages* written);

// The images whose files exist already (shared ones aside).
std::vector<std::filesystem::path> existingImages(const TexturePlan& plan);

struct WrittenTextures {
    std::size_t count = 0;                    // files written
    std::vector<std::filesystem::path> kept;  // existing files left as they were
};

// Writes the images, each completely or not at all: an existing file is
// replaced only when allowed, else kept; a failed write is a warning.
WrittenTextures writeTextureImages(const TexturePlan& plan, bool replaceExisting, const WarningSink& warn,
                                   WrittenImages* written);

}  // namespace zorvek
