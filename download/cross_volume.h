// A destination on another volume than the tray (a second disk, a mapped
// network drive) cannot be reached by a rename: its payload is copied into a
// name of ours in the destination's folder first, made durable there, then
// renamed into place on that volume, and only then is the data file removed.
#pragma once

#include <optional>
#include <string>

#include "journal/digest.h"

namespace torvex {

// Where the bytes of `dados` (digest `d`, extracted from `arquivo`) are
// copied before they are renamed to `final`: empty when `final`'s folder is
// on the data file's volume and a rename places them; none when no name of
// ours is free there. A folder whose volume cannot be told is taken for
// another: a copy places the bytes as safely on the same volume.
std::optional<std::string> crossVolumeCopyName(const char* dados, const char* final,
                                               const char* arquivo, const Digest& d);

}  // namespace torvex
