#pragma once

#include <functional>
#include <string>

namespace zorvek {

// The core reports warnings here and goes on; the caller decides how they are shown.
using WarningSink = std::function<void(const std::string& message)>;

}  // namespace zorvek
