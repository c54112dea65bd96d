#include "tests/arj/archive_builder.h"

#include "arj/archive_writer.h"
#include "arj/crc32.h"
#include "arj/memory_stream.h"

namespace torvex::arj::testing {

std::string buildArchive(const std::vector<Entry>& entries) {
  MemorySink sink;
  ArchiveWriter w(sink);
  MainHeader m;
  m.name = "test.arj";
  if (w.begin(m) != Status::Ok) return {};
  for (const Entry& e : entries) {
    MemorySource src(e.data);
    MemberHeader h;
    h.name = e.name;
    if (w.addMember(h, src, e.method, e.data.size()) != Status::Ok) return {};
  }
  if (w.finish() != Status::Ok) return {};
  return std::string(sink.view());
}

MemberHeader storedHeader(std::string_view name, std::string_view data) {
  MemberHeader h;
  h.name = std::string(name);
  h.method = 0;
  h.compressedSize = h.originalSize = static_cast<uint32_t>(data.size());
  h.crc = crc32(reinterpret_cast<const uint8_t*>(data.data()), data.size());
  return h;
}

std::string rawArchive(const std::vector<std::pair<MemberHeader, std::string>>& members,
                       const MainHeader& main) {
  auto str = [](const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); };
  std::string out = str(serializeMainHeader(main));
  for (const auto& [h, data] : members) out += str(serializeMemberHeader(h)) + data;
  out.append(reinterpret_cast<const char*>(kEndMarker), sizeof kEndMarker);
  return out;
}

std::string randomBytes(size_t n, uint32_t seed) {
  std::string s(n, '\0');
  uint32_t x = seed * 2654435761u + 1;
  for (char& c : s) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    c = static_cast<char>(x >> 24);
  }
  return s;
}

std::string textBytes(size_t n, uint32_t seed) {
  static const char* kWords[] = {"arquivo", "bandeja", "controle", "de", "o", "envio",
                                 "recebido", "data", "hora", "\n", "the", "file", "32", "(a)"};
  std::string s;
  uint32_t x = seed + 7;
  while (s.size() < n) {
    x = x * 1103515245u + 12345u;
    s += kWords[(x >> 16) % 14];
    s += ' ';
  }
  s.resize(n);
  return s;
}

Bits& Bits::put(int n, uint32_t v) {
  for (int i = n - 1; i >= 0; --i) bits_.push_back((v >> i) & 1);
  return *this;
}

std::string Bits::bytes() const {
  std::string out((bits_.size() + 7) / 8, '\0');
  for (size_t i = 0; i < bits_.size(); ++i)
    if (bits_[i]) out[i / 8] = static_cast<char>(out[i / 8] | (0x80 >> (i % 8)));
  return out;
}

}  // namespace torvex::arj::testing
