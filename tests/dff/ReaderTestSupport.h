#pragma once

#include "base/UserMessageError.h"
#include "dff/DffModelReader.h"
#include "rw/SectionInput.h"
#include "support/dff/DffBuilder.h"

#include <string>
#include <vector>

namespace zorvek::test {

struct ReadResult {
    DffModel model;
    std::vector<std::string> warnings;
    DffScaledValueOffsets offsets;
    std::string error;  // the UserMessageError's message; empty when reading succeeded
};

// Reads the file as the commands do, collecting warnings and the error.
inline ReadResult readModel(const Bytes& file) {
    ReadResult result;
    SectionInput input(file);
    try {
        readDffModel(
            input, result.model, [&](const std::string& message) { result.warnings.push_back(message); },
            &result.offsets);
        if (input.innermostSection() != nullptr) {
            result.error = "(a section is still open)";
        }
    } catch (const UserMessageError& error) {
        result.error = error.what();
        if (input.innermostSection() != nullptr) {
            result.error += " (a section is still open)";
        }
    }
    return result;
}

inline ReadResult readModel(const SkinnedModel& model) {
    return readModel(buildDff(model));
}

}  // namespace zorvek::test
