// Walks an archive member by member and streams each member's bytes out.
// Memory stays bounded: a 64 KiB read buffer plus the decoder's window.
#pragma once

#include "arj/buffered_input.h"
#include "arj/byte_stream.h"
#include "arj/header.h"
#include "arj/status.h"

namespace torvex::arj {

class ArchiveReader {
 public:
  explicit ArchiveReader(ByteSource& src) : in_(src) {}

  // Must be called first.
  Status open();
  const MainHeader& mainHeader() const { return main_; }

  // Advances to the next member (skipping whatever of the current member's
  // data was not read). End after the last one.
  Status next();
  const MemberHeader& member() const { return member_; }

  // Whether the current member holds file bytes we can decode: a file (not
  // a directory, label or special file) stored with a method we implement
  // and not garbled or encrypted. Ok, or why not (Unsupported, BadHeader).
  Status checkExtractable() const;
  bool isFile() const {
    return member_.fileType == kTypeBinary || member_.fileType == kTypeText;
  }

  // Decodes the current member into `out` and checks its CRC-32 and size.
  // Only once per member; `out` may have received bytes even on failure.
  Status extract(ByteSink& out);
  // Copies the current member's compressed bytes unchanged.
  Status copyRaw(ByteSink& out);

 private:
  Status skipData();
  BufferedInput in_;
  MainHeader main_;
  MemberHeader member_;
  bool dataPending_ = false;
};

}  // namespace torvex::arj
