#include "arj/archive_reader.h"

#include "arj/decoder.h"

namespace torvex::arj {
namespace {

class CountingSink : public ByteSink {
 public:
  explicit CountingSink(ByteSink& inner) : inner_(inner) {}
  bool write(const uint8_t* p, size_t n) override {
    count += n;
    return inner_.write(p, n);
  }
  uint64_t count = 0;

 private:
  ByteSink& inner_;
};

}  // namespace

Status ArchiveReader::open() { return readMainHeader(in_, main_); }

Status ArchiveReader::skipData() {
  if (!dataPending_) return Status::Ok;
  dataPending_ = false;
  return in_.skip(member_.compressedSize, [](const uint8_t*, size_t) {});
}

Status ArchiveReader::next() {
  if (Status s = skipData(); s != Status::Ok) return s;
  Status s = readMemberHeader(in_, member_);
  dataPending_ = s == Status::Ok;
  return s;
}

Status ArchiveReader::checkExtractable() const {
  const MemberHeader& m = member_;
  if (!isFile()) return Status::Unsupported;
  if ((m.flags & kFlagGarbled) || main_.encryptionVersion >= 2) return Status::Unsupported;
  // A piece of a multi-volume member is not a whole file.
  if (m.flags & (kFlagVolume | kFlagExtFile)) return Status::Unsupported;
  if (m.method > 4) return Status::Unsupported;
  if (m.method == 0 && m.compressedSize != m.originalSize) return Status::BadHeader;
  return Status::Ok;
}

Status ArchiveReader::extract(ByteSink& out) {
  if (!dataPending_) return Status::BadHeader;
  if (Status s = checkExtractable(); s != Status::Ok) return s;
  dataPending_ = false;
  CountingSink counted(out);
  DecodeResult r =
      decodeMember(in_, member_.method, member_.compressedSize, member_.originalSize, counted);
  if (r.status != Status::Ok) return r.status;
  if (counted.count != member_.originalSize || r.crc != member_.crc) return Status::BadCrc;
  return Status::Ok;
}

Status ArchiveReader::copyRaw(ByteSink& out) {
  if (!dataPending_) return Status::BadHeader;
  dataPending_ = false;
  bool failed = false;
  Status s = in_.skip(member_.compressedSize, [&](const uint8_t* p, size_t n) {
    if (!failed && !out.write(p, n)) failed = true;
  });
  return failed ? Status::WriteError : s;
}

}  // namespace torvex::arj
