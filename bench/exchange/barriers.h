// The exchange's barriers beside the file system's own cost, quiet and while
// another process writes heavily on the same volume: the library's barrier
// (a batch's own files and directories flushed, nothing else) against one
// syncfs per barrier, which waits for every writer's data on the volume.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace torvex::bench {

// One exchange call of n files in a fresh directory area/name: its wall
// milliseconds a file.
using ExchangeCall =
    std::function<double(const std::filesystem::path& area, const std::string& name, int n)>;

// Prints, for each n, each condition and each barrier, the upload's and the
// download's ms a file against floors measured just before in the same
// condition, by the same barrier and in batches as the calls make theirs: n
// files of 1 KiB made durable, and each call's file system part done bare.
void compareBarriers(const std::filesystem::path& area, const std::vector<int>& counts,
                     const ExchangeCall& upload, const ExchangeCall& download);

}  // namespace torvex::bench
