#include "arj/header.h"

#include <algorithm>

#include "arj/crc32.h"

namespace torvex::arj {
namespace {

constexpr uint8_t kId0 = 0x60, kId1 = 0xEA;
constexpr size_t kMainFixed = 34, kMemberFixed = 46, kOldFixed = 30;

uint32_t le32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

void put16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(static_cast<uint8_t>(x));
  v.push_back(static_cast<uint8_t>(x >> 8));
}
void put32(std::vector<uint8_t>& v, uint32_t x) {
  put16(v, x & 0xFFFF);
  put16(v, x >> 16);
}

// Reads one header record. `basic` receives the basic header, CRC checked;
// the extended headers are CRC checked and skipped. End for the end marker.
Status readRecord(BufferedInput& in, std::vector<uint8_t>& basic) {
  uint8_t head[4];
  if (Status s = in.readExact(head, 4); s != Status::Ok) return s;
  if (head[0] != kId0 || head[1] != kId1) return Status::BadHeader;
  size_t size = le16(head + 2);
  if (size == 0) return Status::End;
  if (size > kMaxBasicHeader) return Status::BadHeader;
  basic.resize(size);
  uint8_t tail[6];
  if (Status s = in.readExact(basic.data(), size); s != Status::Ok) return s;
  if (Status s = in.readExact(tail, 6); s != Status::Ok) return s;
  if (le32(tail) != crc32(basic.data(), size)) return Status::BadHeader;
  for (size_t ext = le16(tail + 4); ext != 0;) {
    uint32_t crc = 0;
    if (Status s = in.skip(ext, [&](const uint8_t* p, size_t n) { crc = crc32Update(crc, p, n); });
        s != Status::Ok)
      return s;
    if (Status s = in.readExact(tail, 6); s != Status::Ok) return s;
    if (le32(tail) != crc) return Status::BadHeader;
    ext = le16(tail + 4);
  }
  return Status::Ok;
}

// Splits the two NUL-terminated strings after the fixed part; both NULs must
// lie inside the basic header.
bool readStrings(const std::vector<uint8_t>& basic, size_t fixed, std::string& name,
                 std::string& comment) {
  size_t i = fixed;
  std::string* out[2] = {&name, &comment};
  for (std::string* s : out) {
    size_t start = i;
    while (i < basic.size() && basic[i] != 0) ++i;
    if (i == basic.size()) return false;
    s->assign(reinterpret_cast<const char*>(basic.data() + start), i - start);
    ++i;
  }
  return true;
}

// The fixed part, zero-extended to `known` bytes so absent fields read as 0.
std::vector<uint8_t> fixedPart(const std::vector<uint8_t>& basic, size_t fhs, size_t known) {
  std::vector<uint8_t> f(known, 0);
  std::copy_n(basic.begin(), std::min(fhs, known), f.begin());
  return f;
}

void appendStrings(std::vector<uint8_t>& b, const std::string& name, const std::string& comment) {
  b.insert(b.end(), name.begin(), name.end());
  b.push_back(0);
  b.insert(b.end(), comment.begin(), comment.end());
  b.push_back(0);
}

}  // namespace

Status readMainHeader(BufferedInput& in, MainHeader& h) {
  std::vector<uint8_t> basic;
  Status s = readRecord(in, basic);
  if (s == Status::End || s == Status::BadHeader || s == Status::Truncated)
    return Status::NotArchive;
  if (s != Status::Ok) return s;
  size_t fhs = basic[0];
  if (fhs < kOldFixed || fhs > basic.size()) return Status::NotArchive;
  auto f = fixedPart(basic, fhs, kMainFixed);
  if (f[6] != kTypeMain) return Status::NotArchive;
  h.archiverVersion = f[1];
  h.minVersion = f[2];
  h.hostOs = f[3];
  h.flags = f[4];
  h.securityVersion = f[5];
  h.created = le32(&f[8]);
  h.modified = le32(&f[12]);
  h.encryptionVersion = f[28];
  if (!readStrings(basic, fhs, h.name, h.comment)) return Status::NotArchive;
  return Status::Ok;
}

Status readMemberHeader(BufferedInput& in, MemberHeader& h) {
  Status s = readRecord(in, h.basic);
  if (s != Status::Ok) return s;
  size_t fhs = h.basic[0];
  if (fhs < kOldFixed || fhs > h.basic.size()) return Status::BadHeader;
  auto f = fixedPart(h.basic, fhs, kMemberFixed);
  h.archiverVersion = f[1];
  h.minVersion = f[2];
  h.hostOs = f[3];
  h.flags = f[4];
  h.method = f[5];
  h.fileType = f[6];
  h.passwordModifier = f[7];
  h.modified = le32(&f[8]);
  h.compressedSize = le32(&f[12]);
  h.originalSize = le32(&f[16]);
  h.crc = le32(&f[20]);
  h.accessMode = le16(&f[26]);
  h.accessed = le32(&f[34]);
  h.created = le32(&f[38]);
  if (h.fileType == kTypeMain) return Status::BadHeader;
  if (!readStrings(h.basic, fhs, h.name, h.comment)) return Status::BadHeader;
  return Status::Ok;
}

std::vector<uint8_t> headerRecord(const std::vector<uint8_t>& basic) {
  std::vector<uint8_t> r(4 + basic.size());
  r[0] = kId0;
  r[1] = kId1;
  r[2] = static_cast<uint8_t>(basic.size());
  r[3] = static_cast<uint8_t>(basic.size() >> 8);
  std::copy(basic.begin(), basic.end(), r.begin() + 4);
  put32(r, crc32(basic.data(), basic.size()));
  put16(r, 0);
  return r;
}

std::vector<uint8_t> serializeMainHeader(const MainHeader& h) {
  std::vector<uint8_t> b = {static_cast<uint8_t>(kMainFixed), h.archiverVersion, h.minVersion,
                            h.hostOs, h.flags, h.securityVersion, kTypeMain, 0};
  put32(b, h.created);
  put32(b, h.modified);
  put32(b, 0);  // archive size
  put32(b, 0);  // security envelope position
  put16(b, 0);  // filespec position
  put16(b, 0);  // security envelope length
  b.push_back(h.encryptionVersion);
  b.push_back(0);  // last chapter
  b.push_back(0);  // protection factor
  b.push_back(0);  // flags 2
  put16(b, 0);
  appendStrings(b, h.name, h.comment);
  return headerRecord(b);
}

std::vector<uint8_t> serializeMemberHeader(const MemberHeader& h) {
  std::vector<uint8_t> b = {static_cast<uint8_t>(kMemberFixed), h.archiverVersion, h.minVersion,
                            h.hostOs, h.flags, h.method, h.fileType, h.passwordModifier};
  put32(b, h.modified);
  put32(b, h.compressedSize);
  put32(b, h.originalSize);
  put32(b, h.crc);
  put16(b, 0);  // filespec position: names are stored without directories
  put16(b, h.accessMode);
  b.push_back(0);  // first chapter
  b.push_back(0);  // last chapter
  put32(b, 0);     // extended file position
  put32(b, h.accessed);
  put32(b, h.created);
  put32(b, 0);
  appendStrings(b, h.name, h.comment);
  return headerRecord(b);
}

uint32_t toDosTime(int year, int month, int day, int hour, int minute, int second) {
  if (year < 1980) return (1u << 21) | (1u << 16);  // the earliest DOS date
  if (year > 2107) year = 2107;
  return uint32_t(year - 1980) << 25 | uint32_t(month) << 21 | uint32_t(day) << 16 |
         uint32_t(hour) << 11 | uint32_t(minute) << 5 | uint32_t(second / 2);
}

}  // namespace torvex::arj
