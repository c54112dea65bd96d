// Round trips through our writer and reader, and the header layout the
// writer produces.
#include <gtest/gtest.h>

#include "arj/archive_reader.h"
#include "arj/archive_writer.h"
#include "arj/crc32.h"
#include "arj/memory_stream.h"
#include "tests/arj/archive_builder.h"

namespace torvex::arj {
namespace {

using testing::buildArchive;
using testing::Entry;
using testing::randomBytes;
using testing::textBytes;

struct Read {
  std::string name;
  int method;
  Status status;
  std::string data;
};

std::vector<Read> readAll(std::string_view archive, Status* end = nullptr) {
  MemorySource src(archive);
  ArchiveReader r(src);
  std::vector<Read> out;
  Status s = r.open();
  if (s == Status::Ok) {
    while ((s = r.next()) == Status::Ok) {
      MemorySink sink;
      Status e = r.extract(sink);
      out.push_back({r.member().name, r.member().method, e, std::string(sink.view())});
    }
  }
  if (end) *end = s;
  return out;
}

TEST(Crc32, CheckValue) {
  const char* s = "123456789";
  EXPECT_EQ(crc32(reinterpret_cast<const uint8_t*>(s), 9), 0xCBF43926u);
  // Fed in pieces, including a tail shorter than the table step.
  uint32_t c = crc32Update(0, reinterpret_cast<const uint8_t*>(s), 5);
  EXPECT_EQ(crc32Update(c, reinterpret_cast<const uint8_t*>(s + 5), 4), 0xCBF43926u);
}

// One bit at a time, the definition the tables must agree with.
uint32_t bitwiseCrc32(const std::string& bytes) {
  uint32_t c = 0xFFFFFFFFu;
  for (unsigned char b : bytes) {
    c ^= b;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
  }
  return ~c;
}

TEST(Crc32, AgreesWithTheBitwiseDefinitionWhereverTheInputIsSplit) {
  // Long enough for several table steps on either side of every split.
  const std::string bytes = randomBytes(100, 7);
  const uint32_t expected = bitwiseCrc32(bytes);
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  for (size_t split = 0; split <= bytes.size(); ++split)
    EXPECT_EQ(crc32Update(crc32Update(0, p, split), p + split, bytes.size() - split), expected) << split;
}

class RoundTrip : public ::testing::TestWithParam<int> {};

TEST_P(RoundTrip, EverySizeAndKindComesBackIdentical) {
  const int method = GetParam();
  std::string runs;
  for (int i = 0; i < 300; ++i) runs += std::string(static_cast<size_t>(i % 300 + 1), char('a' + i % 3));
  const std::vector<std::string> inputs = {
      "", "x", "abc", std::string(26624, 'z'), textBytes(26625, 1), textBytes(300000, 2),
      randomBytes(70000, 3), runs, textBytes(40000, 4) + randomBytes(40000, 5) + textBytes(40000, 4)};
  std::vector<Entry> entries;
  for (size_t i = 0; i < inputs.size(); ++i) entries.push_back({"m" + std::to_string(i), inputs[i], method});
  std::string archive = buildArchive(entries);
  ASSERT_FALSE(archive.empty());
  Status end;
  auto got = readAll(archive, &end);
  EXPECT_EQ(end, Status::End);
  ASSERT_EQ(got.size(), inputs.size());
  for (size_t i = 0; i < inputs.size(); ++i) {
    EXPECT_EQ(got[i].status, Status::Ok) << i;
    EXPECT_EQ(got[i].name, entries[i].name);
    EXPECT_TRUE(got[i].data == inputs[i]) << "member " << i << " differs";
  }
}

INSTANTIATE_TEST_SUITE_P(Methods, RoundTrip, ::testing::Values(0, 1, 2, 3, 4));

TEST(Writer, StoresWhatDoesNotShrinkAndCompressesWhatDoes) {
  auto got = readAll(buildArchive({{"r", randomBytes(5000, 9), 1},
                                   {"one", "x", 1},
                                   {"t", textBytes(5000, 9), 1},
                                   {"t4", textBytes(5000, 9), 4}}));
  ASSERT_EQ(got.size(), 4u);
  EXPECT_EQ(got[0].method, 0);
  EXPECT_EQ(got[1].method, 0);
  EXPECT_EQ(got[2].method, 1);
  EXPECT_EQ(got[3].method, 4);
}

// Reads through to a MemorySource, counting what is read before a rewind.
class CountingSource : public RewindableSource {
 public:
  explicit CountingSource(std::string_view bytes) : inner_(bytes) {}
  long read(uint8_t* buf, size_t n) override {
    long got = inner_.read(buf, n);
    if (!rewound && got > 0) beforeRewind += static_cast<uint64_t>(got);
    return got;
  }
  bool rewind() override {
    rewound = true;
    return inner_.rewind();
  }
  uint64_t beforeRewind = 0;
  bool rewound = false;

 private:
  MemorySource inner_;
};

// An archive of one member read from `src`; empty when writing failed.
std::string oneMember(RewindableSource& src, int method, uint64_t sizeHint) {
  MemorySink sink;
  ArchiveWriter w(sink);
  MemberHeader h;
  h.name = "one";
  if (w.begin(MainHeader{}) != Status::Ok || w.addMember(h, src, method, sizeHint) != Status::Ok ||
      w.finish() != Status::Ok)
    return {};
  return std::string(sink.view());
}

TEST(Writer, NoiseIsStoredWithoutBeingCompressedToTheEnd) {
  const std::string noise = randomBytes(4 << 20, 13);
  for (int method : {1, 4}) {
    CountingSource src(noise);
    const std::string archive = oneMember(src, method, noise.size());
    ASSERT_FALSE(archive.empty());
    EXPECT_TRUE(src.rewound);
    EXPECT_LT(src.beforeRewind, uint64_t{3} << 19) << method;  // at most the first buffer
    auto got = readAll(archive);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].method, 0);
    EXPECT_TRUE(got[0].data == noise);
  }
}

// Compressed size of `data` as one method-1 member.
uint64_t memberSize(const std::string& data) {
  MemorySource src(data), empty("");
  return oneMember(src, 1, data.size()).size() - oneMember(empty, 1, 0).size();
}

TEST(Writer, MemberThatStartsWithNoiseIsCompressedWhereItShrinks) {
  // Noise first: the start is copied, then the text is found and the whole
  // member compressed, the noise as raw blocks.
  const std::string text = textBytes(400000, 21), noise = randomBytes(200000, 22);
  const std::string data = noise + text;
  CountingSource src(data);
  const std::string archive = oneMember(src, 1, data.size());
  auto got = readAll(archive);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].status, Status::Ok);
  EXPECT_EQ(got[0].method, 1);
  EXPECT_TRUE(got[0].data == data);
  // The noise costs little more than its own size (coded, it would cost
  // a few percent more).
  EXPECT_LT(memberSize(data), noise.size() + noise.size() / 500 + memberSize(text));
}

TEST(Writer, NoiseInsideACompressedMemberCostsNextToNothing) {
  const std::string text = textBytes(100000, 23), noise = randomBytes(500000, 24);
  const std::string data = text + noise + text;
  EXPECT_LT(memberSize(data), noise.size() + noise.size() / 500 + 2 * memberSize(text));
  auto got = readAll(buildArchive({{"n", data, 1}}));
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].method, 1);
  EXPECT_TRUE(got[0].data == data);
}

TEST(Writer, HeadersHaveTheLengthsAndFieldsArjWrites) {
  std::string a = buildArchive({{"name.txt", "hello hello hello hello", 1}});
  ASSERT_GT(a.size(), 60u);
  EXPECT_EQ(uint8_t(a[0]), 0x60);
  EXPECT_EQ(uint8_t(a[1]), 0xEA);
  EXPECT_EQ(uint8_t(a[4]), 34);  // main header fixed part
  EXPECT_EQ(uint8_t(a[5]), 11);  // archiver version
  EXPECT_EQ(uint8_t(a[10]), 2);  // file type: main header
  size_t mainSize = uint8_t(a[2]) | uint8_t(a[3]) << 8;
  size_t local = 4 + mainSize + 4 + 2;
  EXPECT_EQ(uint8_t(a[local + 4]), 46);  // local header fixed part
  EXPECT_EQ(a.substr(local + 4 + 46, 9), std::string("name.txt\0", 9));
  EXPECT_EQ(a.substr(a.size() - 4), std::string("\x60\xEA\0\0", 4));
}

TEST(Writer, ManyBlocksAndLongMatchesAtTheWindowEdge) {
  // A repeat exactly a window back, and enough symbols for several blocks.
  std::string block = randomBytes(26624, 11);
  std::string data = block + block + randomBytes(100, 12) + block;
  for (int method : {1, 4}) {
    auto got = readAll(buildArchive({{"w", data, method}}));
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].status, Status::Ok);
    EXPECT_TRUE(got[0].data == data) << method;
  }
}

TEST(Writer, SourceLongerThanItsSizeHintIsWrittenWhole) {
  // The file grew after its size was taken: the whole source still goes in.
  const std::string data = textBytes(600000, 8);
  for (uint64_t hint : {uint64_t{0}, uint64_t{10}, uint64_t{400000}}) {
    MemorySource src(data);
    const std::string archive = oneMember(src, 1, hint);
    ASSERT_FALSE(archive.empty());
    auto got = readAll(archive);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].status, Status::Ok);
    EXPECT_TRUE(got[0].data == data) << hint;
  }
}

TEST(Reader, ReadsOldThirtyByteHeaders) {
  // Shorten the local header's fixed part to 30 bytes, as ARJ 2.x wrote it.
  MemberHeader h = testing::storedHeader("old.txt", "payload");
  std::string a = testing::rawArchive({{h, "payload"}});
  size_t mainSize = uint8_t(a[2]) | uint8_t(a[3]) << 8;
  size_t at = 4 + mainSize + 6;
  std::vector<uint8_t> basic(a.begin() + at + 4, a.begin() + at + 4 + (uint8_t(a[at + 2]) | uint8_t(a[at + 3]) << 8));
  ASSERT_GE(basic.size(), 46u);
  basic.erase(basic.begin() + 30, basic.begin() + 46);
  basic[0] = 30;
  auto rec = headerRecord(basic);
  std::string old = a.substr(0, at) + std::string(rec.begin(), rec.end()) + "payload" +
                    std::string("\x60\xEA\0\0", 4);
  auto got = readAll(old);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].status, Status::Ok);
  EXPECT_EQ(got[0].name, "old.txt");
  EXPECT_EQ(got[0].data, "payload");
}

TEST(Header, DosTimeMatchesTheKnownExample) {
  EXPECT_EQ(toDosTime(2001, 2, 3, 4, 5, 6), 0x2A4320A3u);
}

}  // namespace
}  // namespace torvex::arj
