#include "jobs/RescaleJob.h"

#include "base/FileIo.h"
#include "base/TextBlanks.h"
#include "jobs/ConvertJob.h"
#include "rescale/DffRescaler.h"

#include <boost/lexical_cast.hpp>

#include <cmath>
#include <vector>

namespace zorvek {

std::optional<float> parseScaleFactor(std::string_view answer) {
    const std::string_view word = firstWord(answer);
    float factor = 0;
    if (word.empty() || !boost::conversion::try_lexical_convert(word, factor) || !std::isfinite(factor)) {
        return std::nullopt;
    }
    return factor;
}

void rescaleMappedDff(MappedFile& input, const std::filesystem::path& source, const std::filesystem::path& target,
                      float factor, const JobReport& report) {
    const std::vector<ByteRange> changed = rescaleDff(input.bytes(), factor, report.warn);
    report.progress("読み込みが完了しました");
    writePatchedCopyAtomically(target, source, input.bytes(), changed);
    report.progress("出力が完了しました");
}

void rescaleDffFile(const RescaleDffJob& job, const JobReport& report) {
    refuseOutputOntoInput(job.input, job.output);
    refuseExistingOutput(job.output, job.replaceExisting);
    report.progress("読み込んでいます...");
    MappedFile input(job.input);
    report.progress("出力しています...");
    rescaleMappedDff(input, job.input, job.output, job.factor, report);
}

}  // namespace zorvek
