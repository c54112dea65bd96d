// What a codec operation came to. ExecArj maps these to error levels.
#pragma once

namespace torvex::arj {

enum class Status {
  Ok,
  End,             // the end marker was read: no more members
  NotArchive,      // no valid main header at the start
  BadHeader,       // a header out of range or failing its CRC
  Truncated,       // the input ended inside a header or member data
  BadData,         // a compressed stream that cannot be decoded
  BadCrc,          // decoded bytes whose CRC-32 does not match
  Unsupported,     // garbled, encrypted, method 8/9 or an unknown method
  ReadError,
  WriteError,
  TooLarge,        // a file beyond the 4 GiB the format can describe
};

}  // namespace torvex::arj
