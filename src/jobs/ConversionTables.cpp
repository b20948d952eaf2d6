#include "jobs/ConversionTables.h"

namespace zorvek {

ConversionTables loadConversionTables(const std::filesystem::path& folder,
                                      const std::function<void(std::string_view)>& progress) {
    const auto say = [&](std::string_view line) {
        if (progress) {
            progress(line);
        }
    };
    ConversionTables tables;
    say("ボーン対応情報を読み込んでいます...");
    tables.bones = loadBoneTable(folder);
    say("読み込みが完了しました");
    say("IK情報を読み込んでいます...");
    tables.iks = loadIkTable(folder);
    say("読み込みが完了しました");
    return tables;
}

}  // namespace zorvek
