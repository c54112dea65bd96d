// Builds archives in memory for the tests: well-formed ones through our
// writer, and the raw pieces (header records, bit streams) that hostile
// archives are made of.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "arj/header.h"

namespace torvex::arj::testing {

struct Entry {
  std::string name;
  std::string data;
  int method = 1;
};

// An archive of the entries, made by ArchiveWriter.
std::string buildArchive(const std::vector<Entry>& entries);

// A member header for `data` stored raw (method 0) with a correct CRC.
MemberHeader storedHeader(std::string_view name, std::string_view data);

// Main header record + each (header, data) + end marker, no checks: the
// header's sizes and CRC are written as given.
std::string rawArchive(const std::vector<std::pair<MemberHeader, std::string>>& members,
                       const MainHeader& main = MainHeader{});

// Deterministic test data.
std::string randomBytes(size_t n, uint32_t seed);
std::string textBytes(size_t n, uint32_t seed);

// Writes bit strings MSB first, for hand-made compressed streams.
class Bits {
 public:
  Bits& put(int n, uint32_t v);
  std::string bytes() const;  // padded with zero bits

 private:
  std::vector<bool> bits_;
};

}  // namespace torvex::arj::testing
