#include "cli/RescaleCommand.h"

#include "base/TextEncoding.h"
#include "base/UserMessageError.h"
#include "cli/CliJobs.h"
#include "jobs/RescaleJob.h"

#include <optional>

namespace zorvek {

int runRescale(CliReporter& report, const RescaleOptions& options) {
    const bool succeeded = runJob(report, [&] {
        const std::optional<float> factor = parseScaleFactor(options.factor);
        if (!factor) {
            throw UserMessageError("倍率には数値を入力してください");
        }
        const RescaleDffJob job{.input = utf8ToPath(options.input),
                                .output = utf8ToPath(options.output),
                                .factor = *factor,
                                .replaceExisting = options.replaceExisting};
        rescaleDffFile(job, reportTo(report));
    });
    return succeeded ? 0 : 1;
}

void defineRescale(CLI::App& app, RescaleOptions& options) {
    CLI::App* rescale = app.add_subcommand("rescale", "Write a rescaled copy of a DFF file");
    rescale->add_option("input", options.input, "DFF file to read")->required();
    rescale->add_option("output", options.output, "DFF file to write")->required();
    rescale->add_option("factor", options.factor, "Scale factor, a decimal number")->required();
    rescale->add_flag("-f,--force", options.replaceExisting, "Replace an existing output file");
    rescale->footer("Example: zorvek rescale hero.dff hero_big.dff 1.5");
}

}  // namespace zorvek
