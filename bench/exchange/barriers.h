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
// download's ms a file against the durable floor measured just before in the
// same condition: n files of 1 KiB made and made durable in batches as the
// calls make theirs, by the same barrier.
void compareBarriers(const std::filesystem::path& area, const std::vector<int>& counts,
                     const ExchangeCall& upload, const ExchangeCall& download);

}  // namespace torvex::bench
