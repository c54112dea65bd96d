// Arbitrary bytes written with every method, read back and compared.
#include <cstdlib>

#include "arj/archive_reader.h"
#include "arj/archive_writer.h"
#include "arj/memory_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace torvex::arj;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  for (int method = 0; method <= 4; ++method) {
    MemorySink sink;
    ArchiveWriter w(sink);
    MemorySource src(input);
    MemberHeader h;
    h.name = "f";
    if (w.begin(MainHeader{}) != Status::Ok || w.addMember(h, src, method, size) != Status::Ok ||
        w.finish() != Status::Ok)
      std::abort();
    MemorySource back(sink.view());
    ArchiveReader r(back);
    MemorySink out;
    if (r.open() != Status::Ok || r.next() != Status::Ok || r.extract(out) != Status::Ok ||
        out.view() != input || r.next() != Status::End)
      std::abort();
    // Compressed output never exceeds storing.
    if (r.member().compressedSize > size) std::abort();
  }
  return 0;
}
