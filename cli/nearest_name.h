// The name a user most likely meant when a typed method or subcommand name
// is unknown: the candidate fewest edits away, letter case ignored.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace torvex::cli {

// The closest candidate, or empty when none is close enough to be a slip
// (more than a third of the typed name's letters wrong, at least 2 allowed).
std::string nearestName(std::string_view typed, std::span<const std::string_view> candidates);

// The typed name is unknown: prints the usage error with the nearest of
// `candidates` when there is one; returns kExitUsage.
int unknownName(std::string_view what, std::string_view typed,
                std::span<const std::string_view> candidates);

}  // namespace torvex::cli
