#pragma once

#include <string>
#include <string_view>

namespace zorvek {

// A name read from a file (a texture, an animation) made into one file name
// that stays inside whatever folder it is joined to, on Linux and on Windows:
// the name is UTF-8 text, the result too, without an extension.
// - Path parts are joined by "_"; leading and empty parts, ".", ".." and a
//   drive ("C:") or UNC prefix are dropped: "../zz" and "/zz" give "zz",
//   "tex/body" gives "tex_body".
// - Characters no Windows file name may hold (controls, <>:"|?*), and bytes
//   that are not UTF-8, become "_", as do trailing dots and blanks (Windows
//   drops them) and a leading dot (Linux hides the file).
// - A Windows device name ("CON", "aux.png", "LPT1") and an empty result get
//   a leading "_"; a name longer than any file system takes is cut short.
// An ordinary name comes back unchanged.
std::string safeFileName(std::string_view name);

}  // namespace zorvek
