// Whether the test runs under Wine. Where Wine answers differently from
// Windows (docs/wine-departures.md), a test expects Wine's answer there and
// names the departure; elsewhere it expects the Windows answer.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace torvex::testing {

bool underWine();

#ifdef _WIN32
// Wine's own conversions between its Unix and Windows paths (kernel32's
// wine_get_dos_file_name and wine_get_unix_file_name): nullopt where they
// do not exist (Windows itself); throws where Wine has no answer.
std::optional<std::filesystem::path> wineWindowsPath(const std::string& unixPath);
std::optional<std::string> wineUnixPath(const std::filesystem::path& path);
#endif

}  // namespace torvex::testing
