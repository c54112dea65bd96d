#include "arj/archive_writer.h"

#include "arj/encoder.h"

namespace torvex::arj {

Status ArchiveWriter::put(const std::vector<uint8_t>& bytes) {
  return out_.write(bytes.data(), bytes.size()) ? Status::Ok : Status::WriteError;
}

Status ArchiveWriter::begin(const MainHeader& h) {
  if (h.name.size() + h.comment.size() + 36 > kMaxBasicHeader) return Status::BadHeader;
  return put(serializeMainHeader(h));
}

Status ArchiveWriter::addMember(MemberHeader h, RewindableSource& src, int method,
                                uint64_t sizeHint) {
  if (h.name.size() + h.comment.size() + 48 > kMaxBasicHeader) return Status::BadHeader;
  const uint64_t headerAt = out_.position();
  // Placeholder of the final length; rewritten once sizes and CRC are known.
  if (Status s = put(serializeMemberHeader(h)); s != Status::Ok) return s;
  EncodeResult r = encodeMember(src, method, sizeHint, out_);
  if (r.status != Status::Ok) return r.status;
  h.method = static_cast<uint8_t>(r.method);
  h.compressedSize = static_cast<uint32_t>(r.compressedSize);
  h.originalSize = static_cast<uint32_t>(r.originalSize);
  h.crc = r.crc;
  const uint64_t end = out_.position();
  if (!out_.seek(headerAt)) return Status::WriteError;
  if (Status s = put(serializeMemberHeader(h)); s != Status::Ok) return s;
  return out_.seek(end) ? Status::Ok : Status::WriteError;
}

Status ArchiveWriter::copyMember(ArchiveReader& reader) {
  if (Status s = put(headerRecord(reader.member().basic)); s != Status::Ok) return s;
  return reader.copyRaw(out_);
}

Status ArchiveWriter::finish() {
  if (!out_.write(kEndMarker, sizeof kEndMarker)) return Status::WriteError;
  return out_.truncate(out_.position()) ? Status::Ok : Status::WriteError;
}

}  // namespace torvex::arj
