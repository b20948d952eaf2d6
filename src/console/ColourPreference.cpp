#include "console/ReportStream.h"

#include <cstdlib>

namespace zorvek {

bool colourRefusedByUser() {
    const char* noColour = std::getenv("NO_COLOR");
    return noColour != nullptr && *noColour != '\0';
}

}  // namespace zorvek
