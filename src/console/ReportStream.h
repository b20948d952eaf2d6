#pragma once

#include "console/Console.h"

#include <cstdio>
#include <optional>
#include <string_view>

namespace zorvek {

// How the command line's report lines reach a stream; each platform knows how
// its terminals show colour and text.

// Whether the user has asked for no colours: NO_COLOR set and not empty, as
// the convention says.
bool colourRefusedByUser();

// Whether lines for this stream may be coloured: it is a terminal or a console
// that shows colours, and the user has not asked for none (NO_COLOR).
bool reportColourAllowed(std::FILE* stream);

// One line of UTF-8 text and its line end, in the colour when one is given
// (the caller has checked reportColourAllowed), flushed at once.
void writeReportLine(std::FILE* stream, std::string_view text, std::optional<Colour> colour);

}  // namespace zorvek
