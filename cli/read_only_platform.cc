#include "cli/read_only_platform.h"

namespace torvex::cli {

ReadOnlyPlatform::ReadOnlyPlatform()
    : ForwardingPlatform(platform()), previous_(installPlatform(this)) {}

ReadOnlyPlatform::~ReadOnlyPlatform() { installPlatform(previous_); }

FileHandle* ReadOnlyPlatform::openFile(const char* path, OpenMode mode) {
  if (mode != OpenMode::Read) return refuse<FileHandle*>(nullptr);
  return ForwardingPlatform::openFile(path, mode);
}

}  // namespace torvex::cli
