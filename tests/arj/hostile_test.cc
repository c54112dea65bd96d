// Damaged and crafted archives: every one gives a failure status, none
// hangs, crashes, or passes off wrong bytes as a good member.
#include <gtest/gtest.h>

#include <map>

#include "arj/archive_reader.h"
#include "arj/crc32.h"
#include "arj/memory_stream.h"
#include "tests/arj/archive_builder.h"

namespace torvex::arj {
namespace {

using testing::Bits;
using testing::rawArchive;
using testing::storedHeader;

// The first failure met while reading everything, or Ok when the whole
// archive read cleanly to its end marker.
Status firstFailure(std::string_view archive) {
  MemorySource src(archive);
  ArchiveReader r(src);
  if (Status s = r.open(); s != Status::Ok) return s;
  while (true) {
    Status s = r.next();
    if (s == Status::End) return Status::Ok;
    if (s != Status::Ok) return s;
    MemorySink sink;
    if (r.isFile() && (s = r.extract(sink)) != Status::Ok) return s;
  }
}

// One member whose compressed data is the given bit stream.
std::string compressedMember(const std::string& stream, uint32_t originalSize, int method = 1,
                             uint32_t crc = 0) {
  MemberHeader h;
  h.name = "x";
  h.method = static_cast<uint8_t>(method);
  h.compressedSize = static_cast<uint32_t>(stream.size());
  h.originalSize = originalSize;
  h.crc = crc;
  return rawArchive({{h, stream}});
}

std::string goodArchive() {
  return testing::buildArchive({{"a.txt", testing::textBytes(20000, 1), 1},
                                {"b.bin", testing::textBytes(3000, 2), 4},
                                {"c", "stored", 0}});
}

TEST(Hostile, CleanArchiveReads) { EXPECT_EQ(firstFailure(goodArchive()), Status::Ok); }

TEST(Hostile, EveryTruncationFails) {
  std::string a = goodArchive();
  for (size_t n = 0; n < a.size(); ++n)
    EXPECT_NE(firstFailure(std::string_view(a).substr(0, n)), Status::Ok) << "cut at " << n;
}

TEST(Hostile, NoByteFlipYieldsWrongDataAsGood) {
  std::string a = goodArchive();
  const std::map<std::string, std::string> original = {
      {"a.txt", testing::textBytes(20000, 1)}, {"b.bin", testing::textBytes(3000, 2)}, {"c", "stored"}};
  for (size_t i = 0; i < a.size(); i += 3) {
    std::string bad = a;
    bad[i] = static_cast<char>(bad[i] ^ (1 << (i % 8)));
    MemorySource src(bad);
    ArchiveReader r(src);
    if (r.open() != Status::Ok) continue;
    while (r.next() == Status::Ok) {
      MemorySink sink;
      auto known = original.find(r.member().name);
      if (r.extract(sink) == Status::Ok && known != original.end()) {
        EXPECT_TRUE(sink.view() == known->second) << "flip at " << i;
      }
    }
  }
}

TEST(Hostile, HeaderFaults) {
  std::string a = rawArchive({{storedHeader("f", "data"), "data"}});
  size_t mainSize = uint8_t(a[2]) | uint8_t(a[3]) << 8;
  size_t local = 4 + mainSize + 6;

  std::string badCrc = a;
  badCrc[local + 4 + 46] = 'g';  // the name, under the header CRC
  EXPECT_EQ(firstFailure(badCrc), Status::BadHeader);

  std::string oversized = a;
  oversized[local + 2] = static_cast<char>(2601 & 0xFF);
  oversized[local + 3] = static_cast<char>(2601 >> 8);
  EXPECT_EQ(firstFailure(oversized), Status::BadHeader);

  std::string noId = a;
  noId[local] = 0x61;
  EXPECT_EQ(firstFailure(noId), Status::BadHeader);

  EXPECT_EQ(firstFailure("not an archive at all"), Status::NotArchive);
  EXPECT_EQ(firstFailure(std::string("\x60\xEA\0\0", 4)), Status::NotArchive);
}

TEST(Hostile, FixedPartLongerThanHeaderOrNameWithoutNul) {
  for (int variant = 0; variant < 2; ++variant) {
    std::vector<uint8_t> basic(46, 0);
    basic[0] = variant == 0 ? 200 : 46;
    basic.push_back('n');  // no NUL follows
    auto rec = headerRecord(basic);
    std::string main = rawArchive({});
    std::string a = main.substr(0, main.size() - 4) + std::string(rec.begin(), rec.end()) +
                    std::string("\x60\xEA\0\0", 4);
    EXPECT_EQ(firstFailure(a), Status::BadHeader) << variant;
  }
}

// A stored member "f" holding "data", preceded by one extended header.
std::string withExtendedHeader(bool goodCrc) {
  std::string a = rawArchive({{storedHeader("f", "data"), "data"}});
  size_t mainSize = uint8_t(a[2]) | uint8_t(a[3]) << 8;
  size_t local = 4 + mainSize + 6;
  size_t chainEnd = local + 4 + (uint8_t(a[local + 2]) | uint8_t(a[local + 3]) << 8) + 4;
  const std::string ext = "U\0\x42target";
  uint32_t crc = crc32(reinterpret_cast<const uint8_t*>(ext.data()), ext.size()) ^ (goodCrc ? 0 : 1);
  std::string rec = {static_cast<char>(ext.size()), 0};
  rec += ext;
  for (int i = 0; i < 4; ++i) rec += static_cast<char>(crc >> (8 * i));
  return a.substr(0, chainEnd) + rec + a.substr(chainEnd);
}

TEST(Hostile, ExtendedHeadersAreCheckedAndSkipped) {
  EXPECT_EQ(firstFailure(withExtendedHeader(true)), Status::Ok);
  EXPECT_EQ(firstFailure(withExtendedHeader(false)), Status::BadHeader);
}

TEST(Hostile, DataFaults) {
  MemberHeader h = storedHeader("f", "data");
  h.crc ^= 1;
  EXPECT_EQ(firstFailure(rawArchive({{h, "data"}})), Status::BadCrc);

  h = storedHeader("f", "data");
  h.originalSize = 5;  // stored sizes must agree
  EXPECT_EQ(firstFailure(rawArchive({{h, "data"}})), Status::BadHeader);
}

TEST(Hostile, RefusedMembers) {
  MemberHeader garbled = storedHeader("g", "data");
  garbled.flags = kFlagGarbled;
  EXPECT_EQ(firstFailure(rawArchive({{garbled, "data"}})), Status::Unsupported);

  MainHeader encrypted;
  encrypted.encryptionVersion = 2;
  EXPECT_EQ(firstFailure(rawArchive({{storedHeader("e", "data"), "data"}}, encrypted)),
            Status::Unsupported);

  for (uint8_t method : {5, 8, 9}) {
    MemberHeader h = storedHeader("m", "");
    h.method = method;
    EXPECT_EQ(firstFailure(rawArchive({{h, ""}})), Status::Unsupported) << int(method);
  }
}

TEST(Hostile, SkippedEntriesAreNotFiles) {
  MemberHeader dir = storedHeader("sub", "");
  dir.fileType = kTypeDirectory;
  MemberHeader link = storedHeader("ln", "");
  link.fileType = kTypeSpecial;
  EXPECT_EQ(firstFailure(rawArchive({{dir, ""}, {link, ""}})), Status::Ok);
}

TEST(Hostile, BlockSizeZero) {
  EXPECT_EQ(firstFailure(compressedMember(Bits().put(16, 0).put(32, 0).bytes(), 10)),
            Status::BadData);
}

TEST(Hostile, IncompleteHuffmanTables) {
  // Code-length table with one symbol of length 1.
  Bits t;
  t.put(16, 1).put(5, 2).put(3, 1).put(3, 0).put(9, 0).put(9, 0);
  EXPECT_EQ(firstFailure(compressedMember(t.bytes(), 1)), Status::BadData);
  // Literal table with a single length-1 code (must be sent degenerate).
  Bits c;
  c.put(16, 1).put(5, 0).put(5, 3).put(9, 1).put(5, 0).put(5, 0).put(8, 0);
  EXPECT_EQ(firstFailure(compressedMember(c.bytes(), 1)), Status::BadData);
  // Counts beyond the table sizes.
  EXPECT_EQ(firstFailure(compressedMember(Bits().put(16, 1).put(5, 20).put(32, 0).bytes(), 1)),
            Status::BadData);
  EXPECT_EQ(firstFailure(compressedMember(
                Bits().put(16, 1).put(5, 0).put(5, 0).put(9, 511).put(32, 0).bytes(), 1)),
            Status::BadData);
}

TEST(Hostile, MatchBeforeTheStart) {
  // Degenerate tables: every symbol a 47-byte match from slot 5 (17-32 back).
  Bits b;
  b.put(16, 1).put(5, 0).put(5, 0).put(9, 0).put(9, 300).put(5, 0).put(5, 5).put(4, 0);
  EXPECT_EQ(firstFailure(compressedMember(b.bytes(), 47)), Status::BadData);
  // Method 4: a match as the first symbol.
  EXPECT_EQ(firstFailure(compressedMember(Bits().put(2, 2).put(1, 0).put(1, 0).put(9, 0).bytes(), 3, 4)),
            Status::BadData);
}

TEST(Hostile, StreamShorterThanItsOutputEndsQuickly) {
  // Zero bits decode as literals in method 4: the reader must notice the
  // stream ran out rather than invent four gigabytes of zeros.
  EXPECT_EQ(firstFailure(compressedMember(std::string(2, '\0'), 0xFFFFFFF0u, 4)), Status::BadData);
  EXPECT_EQ(firstFailure(compressedMember(std::string(2, '\0'), 0xFFFFFFF0u, 1)), Status::BadData);
}

TEST(Hostile, ArchiveEndingInsideMemberData) {
  MemberHeader h = storedHeader("f", "data");
  h.compressedSize = h.originalSize = 1000;
  std::string a = rawArchive({{h, "data"}});
  EXPECT_EQ(firstFailure(a.substr(0, a.size() - 4)), Status::Truncated);
}

}  // namespace
}  // namespace torvex::arj
