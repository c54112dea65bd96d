// The extract command ("e") run without writing anything, for a caller that
// must know what an extraction would give while leaving the disk alone.
#pragma once

#include <functional>
#include <string>

#include "arj/byte_stream.h"

namespace torvex::arj {

// Reads `archive` exactly as "e" does: every member that "e" would create is
// decoded and checked, and its bytes go to `sinkFor(name)` with the name it
// would be created under (a null sink: decoded and dropped). Returns the
// error level "e" would return, failures to write files aside.
int checkExtract(const char* archive, const std::function<ByteSink*(const std::string&)>& sinkFor);

}  // namespace torvex::arj
