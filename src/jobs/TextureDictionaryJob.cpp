#include "jobs/TextureDictionaryJob.h"

#include "base/FileIo.h"
#include "base/TextEncoding.h"
#include "base/UserMessageError.h"
#include "convert/GameTextureNames.h"
#include "jobs/ConvertJob.h"
#include "jobs/ModelImages.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <optional>
#include <thread>

namespace zorvek {

namespace fs = std::filesystem;

namespace {

struct PackItem {
    std::string name;
    fs::path path;
    std::optional<NativeTexture> texture;
    std::exception_ptr failure;
};

// Decoding and compressing are most of the time and each image is its own:
// they run on the machine's cores, each result in its item, so the output and
// the order of the warnings are the same on any number of cores.
// A model may name one large image under many names: the textures packed so
// far are counted, and packing stops with "テクスチャが大きすぎます" once they
// would make a dictionary larger than can be written, rather than holding
// them all.
void packInParallel(std::vector<PackItem>& items, const TexturePackSettings& settings) {
    std::atomic<std::size_t> next{0};
    std::atomic<std::uint64_t> packedBytes{0};
    std::atomic<bool> tooLarge{false};
    const auto work = [&] {
        for (std::size_t i = next++; i < items.size() && !tooLarge; i = next++) {
            PackItem& item = items[i];
            try {
                const Bytes file = readWholeFile(item.path);
                item.texture = packImageFile(item.name, file, settings);
                if ((packedBytes += nativeTextureSize(*item.texture)) > settings.largestDictionary) {
                    tooLarge = true;
                }
            } catch (...) {
                item.failure = std::current_exception();
            }
        }
    };
    const std::size_t workers =
        std::min<std::size_t>(items.size(), std::clamp<unsigned>(std::thread::hardware_concurrency(), 1, 8));
    std::vector<std::thread> threads;
    for (std::size_t w = 1; w < workers; ++w) {
        threads.emplace_back(work);
    }
    work();
    for (std::thread& thread : threads) {
        thread.join();
    }
    if (tooLarge) {
        throw UserMessageError("テクスチャが大きすぎます");
    }
}

std::string failureText(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const std::bad_alloc&) {
        return "メモリが足りません";
    } catch (const std::exception& error) {
        return error.what();
    }
}

bool isShadingImage(std::u16string_view name) {
    const std::size_t dot = name.rfind(u'.');
    if (dot == std::u16string_view::npos) {
        return false;
    }
    std::u16string extension(name.substr(dot));
    for (char16_t& c : extension) {
        if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c - u'A' + u'a');
        }
    }
    return extension == u".spa" || extension == u".sph";
}

std::vector<NativeTexture> takeTextures(std::vector<PackItem>& items) {
    std::vector<NativeTexture> textures;
    for (PackItem& item : items) {
        if (item.texture) {
            textures.push_back(std::move(*item.texture));
        }
    }
    return textures;
}

}  // namespace

PackedDictionary packModelTextures(const fs::path& modelFolder, const PmxModel& model,
                                   const std::vector<std::string>& names, const TexturePackSettings& settings,
                                   const WarningSink& warn) {
    std::vector<bool> used(model.textures.size(), false);
    for (const PmxMaterial& material : model.materials) {
        if (material.texture >= 0 && static_cast<std::size_t>(material.texture) < used.size()) {
            used[static_cast<std::size_t>(material.texture)] = true;
        }
    }
    std::vector<PackItem> items;
    for (std::size_t t = 0; t < model.textures.size() && t < names.size(); ++t) {
        const std::u16string& name = model.textures[t];
        if (!used[t] || isShadingImage(name)) {
            continue;
        }
        const FoundImage found = findModelImage(modelFolder, name);
        switch (found.lookup) {
        case ImageLookup::Outside:
            warn("モデルのフォルダーの外にあるテクスチャは読み込みません: " + utf16ToUtf8(name));
            break;
        case ImageLookup::Missing: warn("テクスチャの画像が見つかりません: " + utf16ToUtf8(name)); break;
        case ImageLookup::Found: items.push_back({names[t], found.path, std::nullopt, nullptr}); break;
        }
    }
    packInParallel(items, settings);
    for (const PackItem& item : items) {
        if (item.failure) {
            warn("テクスチャの画像を読み込めません (" + failureText(item.failure) + "): " + pathToUtf8(item.path));
        }
    }
    PackedDictionary packed;
    const std::vector<NativeTexture> textures = takeTextures(items);
    packed.count = textures.size();
    packed.bytes = writeTextureDictionary(textures);
    return packed;
}

void packImageFiles(const PackImagesJob& job, const JobReport& report) {
    for (const fs::path& image : job.images) {
        refuseOutputOntoInput(image, job.output);
    }
    refuseExistingOutput(job.output, job.replaceExisting);
    report.progress("テクスチャを出力しています...");
    std::vector<std::u16string> fileNames;
    for (const fs::path& image : job.images) {
        fileNames.push_back(pathToUtf16(image.filename()));
    }
    const std::vector<std::string> names = gameTextureNames(fileNames, report.warn);
    std::vector<PackItem> items;
    for (std::size_t i = 0; i < job.images.size(); ++i) {
        items.push_back({names[i], job.images[i], std::nullopt, nullptr});
    }
    packInParallel(items, job.settings);
    for (const PackItem& item : items) {
        if (item.failure) {
            try {
                std::rethrow_exception(item.failure);
            } catch (const FileAccessError&) {
                throw;
            } catch (const UserMessageError& error) {
                throw FileAccessError(error.what(), item.path);
            }
        }
    }
    const std::vector<NativeTexture> textures = takeTextures(items);
    writeFileAtomically(job.output, writeTextureDictionary(textures).span());
    report.progress(pathToUtf8(job.output));
    report.progress("テクスチャを出力しました (" + std::to_string(textures.size()) + ")");
}

}  // namespace zorvek
