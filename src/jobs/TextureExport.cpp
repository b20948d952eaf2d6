#include "jobs/TextureExport.h"

#include "base/SafeFileName.h"
#include "base/TextEncoding.h"
#include "base/UserMessageError.h"
#include "image/ImageEncoder.h"

#include <algorithm>
#include <cstring>
#include <future>
#include <system_error>

namespace zorvek {

namespace fs = std::filesystem;

namespace {

// RenderWare compares texture names without regard to ASCII case.
bool sameTextureName(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

// FNV-1a over 8-byte words: byte by byte it showed in a batch's profile.
// Only a first look: equal digests are settled by the file itself.
std::uint64_t digestOf(const Bytes& bytes) {
    constexpr std::uint64_t prime = 1099511628211ull;
    std::uint64_t hash = 14695981039346656037ull;
    std::size_t at = 0;
    for (; at + sizeof(std::uint64_t) <= bytes.size(); at += sizeof(std::uint64_t)) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes.data() + at, sizeof word);
        hash = (hash ^ word) * prime;
    }
    for (; at < bytes.size(); ++at) {
        hash = (hash ^ bytes[at]) * prime;
    }
    return hash ^ bytes.size();
}

fs::path keyOf(const fs::path& path) {
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error);
    return (error ? path : absolute).lexically_normal();
}

const Texture* findTexture(const TextureDictionary& dictionary, std::string_view name) {
    for (const Texture& texture : dictionary.textures) {
        if (sameTextureName(texture.name, name)) {
            return &texture;
        }
    }
    return nullptr;
}

bool sameFileName(const fs::path& a, const fs::path& b) {
    // Windows and a folder copied from it take names without regard to case.
    return sameTextureName(pathToUtf8(a), pathToUtf8(b));
}

// Two names of one model may come to one file once made safe ("../zz" and
// "zz"): the image planned first keeps it.
WrittenImages::Earlier earlierInPlan(const TexturePlan& plan, const TextureImage& image) {
    for (const TextureImage& other : plan.images) {
        if (sameFileName(other.path, image.path)) {
            return other.encoded == image.encoded ? WrittenImages::Earlier::Same : WrittenImages::Earlier::Different;
        }
    }
    return WrittenImages::Earlier::None;
}

// Adds one image under the name the PMX would give it, or "<owner>_<name>"
// when this run already wrote other pixels under that name.
void addImage(TexturePlan& plan, const Texture& texture, Bytes encoded, const std::string& pmxName,
              std::u16string spelledName, std::string_view extension, const fs::path& folder,
              const std::u16string& owner, const WrittenImages* written) {
    TextureImage image;
    image.textureName = texture.name;
    image.encoded = std::move(encoded);
    const std::u16string suffix = utf8ToUtf16(extension);
    // The name decides nothing about where the file goes: it comes from a downloaded file.
    const std::u16string safeName = textureFileStem(spelledName);
    if (safeName != spelledName) {
        plan.renamed[pmxName] = safeName;
    }
    image.fileName = safeName + suffix;
    image.path = folder / utf8ToPath(utf16ToUtf8(image.fileName));
    WrittenImages::Earlier earlier = earlierInPlan(plan, image);
    if (earlier == WrittenImages::Earlier::None && written != nullptr) {
        earlier = written->compare(image.path, image.encoded);
    }
    if (earlier == WrittenImages::Earlier::Different) {
        const std::u16string renamed = owner + u"_" + safeName;
        plan.warnings.push_back("同じ名前で画像の違うテクスチャを別の名前で出力します: " + utf16ToUtf8(image.fileName) +
                                " → " + utf16ToUtf8(renamed + suffix));
        plan.renamed[pmxName] = renamed;
        image.fileName = renamed + suffix;
        image.path = folder / utf8ToPath(utf16ToUtf8(image.fileName));
        earlier = earlierInPlan(plan, image);
        if (earlier == WrittenImages::Earlier::None && written != nullptr) {
            earlier = written->compare(image.path, image.encoded);
        }
    }
    image.shared = earlier == WrittenImages::Earlier::Same;
    plan.images.push_back(std::move(image));
}

// The images encoded side by side: a conversion waits for them, and each is
// independent of the others.
std::vector<Bytes> encodeAll(const std::vector<const Texture*>& textures, ImageFormat format) {
    std::vector<Bytes> encoded(textures.size());
    std::vector<std::future<Bytes>> others;
    for (std::size_t i = 1; i < textures.size(); ++i) {
        others.push_back(std::async(std::launch::async, [&, i] { return encodeImage(textures[i]->image, format); }));
    }
    if (!textures.empty()) {
        encoded[0] = encodeImage(textures[0]->image, format);
    }
    for (std::size_t i = 1; i < textures.size(); ++i) {
        encoded[i] = others[i - 1].get();
    }
    return encoded;
}

}  // namespace

std::u16string textureFileStem(std::u16string_view textureName) {
    return utf8ToUtf16(safeFileName(utf16ToUtf8(textureName)));
}

std::string renamedTextureWarning(std::u16string_view textureName, std::u16string_view fileStem) {
    return "テクスチャ名をファイル名に使えないため変更しました: " + utf16ToUtf8(textureName) + " → " +
           utf16ToUtf8(fileStem);
}

std::optional<fs::path> findTextureDictionaryFor(const fs::path& dff) {
    fs::path wanted = dff.filename();
    wanted.replace_extension(".txd");
    const fs::path folder = dff.parent_path().empty() ? fs::path(".") : dff.parent_path();
    std::error_code error;
    if (fs::is_regular_file(folder / wanted, error)) {
        return dff.parent_path() / wanted;
    }
    const std::string wantedName = pathToUtf8(wanted);
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (sameTextureName(pathToUtf8(it->path().filename()), wantedName) && it->is_regular_file(error)) {
            return dff.parent_path() / it->path().filename();
        }
    }
    return std::nullopt;
}

WrittenImages::Earlier WrittenImages::compare(const fs::path& path, const Bytes& encoded) const {
    const auto found = digests_.find(keyOf(path));
    if (found == digests_.end()) {
        return Earlier::None;
    }
    if (found->second != digestOf(encoded)) {
        return Earlier::Different;
    }
    // Equal digests: the file itself settles it, so that no model ever shows another's image.
    try {
        return readWholeFile(path) == encoded ? Earlier::Same : Earlier::Different;
    } catch (const UserMessageError&) {
        return Earlier::Different;
    }
}

void WrittenImages::remember(const fs::path& path, const Bytes& encoded) {
    digests_[keyOf(path)] = digestOf(encoded);
}

std::optional<ImageFormat> textureImageFormat(std::string_view extension, std::vector<std::string>& warnings) {
    const std::optional<ImageFormat> format = imageFormatForExtension(extension);
    if (!format) {
        warnings.push_back("この拡張子ではテクスチャの画像を出力できません (.png, .bmp, .tga のみ): " +
                           std::string(extension));
    }
    return format;
}

TextureDictionary decodeModelTextures(const DffModel& model, const StoredTextureDictionary& stored) {
    TextureDictionary decoded;
    decoded.deviceId = stored.deviceId;
    for (std::size_t i = 0; i < stored.textures.size(); ++i) {
        const StoredTexture& texture = stored.textures[i];
        const auto sameName = [&](const StoredTexture& other) { return sameTextureName(other.name, texture.name); };
        const bool first =
            std::none_of(stored.textures.begin(), stored.textures.begin() + static_cast<std::ptrdiff_t>(i), sameName);
        const bool used = std::any_of(model.textureIndices.begin(), model.textureIndices.end(), [&](const auto& entry) {
            return sameTextureName(utf16ToUtf8(widenBytes(entry.first)), texture.name);
        });
        if (first && used) {
            decoded.textures.push_back(decodeTexture(texture));
        }
    }
    return decoded;
}

TexturePlan planModelTextures(const DffModel& model, const TextureDictionary& dictionary, ImageFormat format,
                              std::string_view extension, const fs::path& folder, const std::u16string& modelName,
                              const WrittenImages* written) {
    TexturePlan plan;
    std::vector<const Texture*> found;
    std::vector<const std::string*> names;
    for (const auto& entry : model.textureIndices) {
        // DFF names carry no encoding: the PMX and the dictionary both read them as Latin-1.
        const Texture* texture = findTexture(dictionary, utf16ToUtf8(widenBytes(entry.first)));
        if (texture == nullptr) {
            plan.warnings.push_back("テクスチャが見つかりません: " + utf16ToUtf8(widenBytes(entry.first)));
            continue;
        }
        found.push_back(texture);
        names.push_back(&entry.first);
    }
    std::vector<Bytes> encoded = encodeAll(found, format);
    for (std::size_t i = 0; i < found.size(); ++i) {
        addImage(plan, *found[i], std::move(encoded[i]), *names[i], widenBytes(*names[i]), extension, folder, modelName,
                 written);
    }
    return plan;
}

TexturePlan planDictionaryTextures(const TextureDictionary& dictionary, ImageFormat format, std::string_view extension,
                                   const fs::path& folder, const std::u16string& dictionaryName,
                                   const WrittenImages* written) {
    TexturePlan plan;
    std::vector<const Texture*> unique;
    for (const Texture& texture : dictionary.textures) {
        // A second texture of the same name is never found: RenderWare finds the first.
        if (findTexture(dictionary, texture.name) == &texture) {
            unique.push_back(&texture);
        }
    }
    std::vector<Bytes> encoded = encodeAll(unique, format);
    for (std::size_t i = 0; i < unique.size(); ++i) {
        const std::u16string name = utf8ToUtf16(unique[i]->name);
        if (textureFileStem(name) != name) {
            plan.warnings.push_back(renamedTextureWarning(name, textureFileStem(name)));
        }
        addImage(plan, *unique[i], std::move(encoded[i]), unique[i]->name, utf8ToUtf16(unique[i]->name), extension,
                 folder, dictionaryName, written);
    }
    return plan;
}

std::vector<fs::path> existingImages(const TexturePlan& plan) {
    std::vector<fs::path> existing;
    for (const TextureImage& image : plan.images) {
        std::error_code error;
        if (!image.shared && fs::exists(image.path, error)) {
            existing.push_back(image.path);
        }
    }
    return existing;
}

WrittenTextures writeTextureImages(const TexturePlan& plan, bool replaceExisting, const WarningSink& warn,
                                   WrittenImages* written) {
    WrittenTextures result;
    for (const TextureImage& image : plan.images) {
        if (image.shared) {
            continue;
        }
        std::error_code error;
        if (!replaceExisting && fs::exists(image.path, error)) {
            result.kept.push_back(image.path);
            continue;
        }
        try {
            writeFileAtomically(image.path, image.encoded);
        } catch (const UserMessageError& failure) {
            warn("テクスチャの画像を書き込めませんでした: " + pathToUtf8(image.path) + " (" + failure.what() + ")");
            continue;
        }
        ++result.count;
        if (written != nullptr) {
            written->remember(image.path, image.encoded);
        }
    }
    return result;
}

}  // namespace zorvek
