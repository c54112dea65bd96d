// Text-mode file access as the C runtime of Windows does it: written line
// feeds are stored as CR LF; reading turns CR LF back into LF.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/file.h"

namespace torvex {

// `text` as text mode stores it: every "\n" as "\r\n".
std::string textBytes(std::string_view text);

// Writes `text` to `f` with every "\n" stored as "\r\n", in one write call so
// that a record reaches the file whole or not at all. True on full success.
bool writeText(File& f, std::string_view text);

// fgets in text mode: reads at most `capacity - 1` characters up to and
// including the first line feed (CR LF read as LF), NUL-terminates, and
// returns false when nothing could be read (end of file or error).
// The reader keeps a small buffer, so use one reader per open file.
class TextReader {
 public:
  explicit TextReader(File& f) : f_(&f) {}
  // Reads text already in memory, exactly as it would read it from a file.
  explicit TextReader(std::string_view bytes) : memory_(bytes) {}
  bool getLine(char* out, size_t capacity);

 private:
  int getByte();
  long fill();
  File* f_ = nullptr;
  std::string_view memory_;
  unsigned char buf_[512];
  long len_ = 0, pos_ = 0;
  bool eof_ = false;
};

}  // namespace torvex
