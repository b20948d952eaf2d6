#pragma once

#include "base/Math.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace zorvek {

struct BoneTableEntry {
    std::uint32_t boneId = 0;
    std::u16string infoName;
    std::u16string mmdName;
    Vec3 direction;
};

// Rows of bones.dat keyed by bone id; the first row with an id wins.
class BoneTable {
public:
    bool contains(std::uint32_t boneId) const { return entries_.contains(boneId); }
    const BoneTableEntry* find(std::uint32_t boneId) const {
        auto it = entries_.find(boneId);
        return it == entries_.end() ? nullptr : &it->second;
    }
    std::size_t size() const { return entries_.size(); }
    const std::map<std::uint32_t, BoneTableEntry>& entries() const { return entries_; }

    // Keeps an existing row with the same id.
    void insert(BoneTableEntry entry) { entries_.try_emplace(entry.boneId, std::move(entry)); }

private:
    std::map<std::uint32_t, BoneTableEntry> entries_;
};

// Parses the bytes of bones.dat; throws UserMessageError with the file's messages.
BoneTable parseBoneTable(std::string_view fileBytes);

// Reads "bones.dat" from the folder; "bones.datを開けませんでした" when it cannot be read.
BoneTable loadBoneTable(const std::filesystem::path& folder);

}  // namespace zorvek
