// The name a member is extracted under by "e": the last component of its
// stored name. Names that could reach outside the target directory, name a
// device or cannot be a Windows file name are refused.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace torvex::arj {

// The file name to create, or nothing when the stored name is refused.
std::optional<std::string> extractName(std::string_view stored);

// The last component of a path ("/" or "\" separated).
std::string_view lastComponent(std::string_view path);

}  // namespace torvex::arj
