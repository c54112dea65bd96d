// Arbitrary bytes as an archive: list, test and extract every member into
// memory. Any crash, hang, sanitizer report or wrong-size "good" member is a
// finding.
#include <cstdlib>

#include "arj/archive_reader.h"
#include "arj/member_name.h"
#include "arj/memory_stream.h"

namespace {

class CountingSink : public torvex::arj::ByteSink {
 public:
  bool write(const uint8_t*, size_t n) override {
    count += n;
    return true;
  }
  uint64_t count = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace torvex::arj;
  MemorySource src(std::string_view(reinterpret_cast<const char*>(data), size));
  ArchiveReader r(src);
  if (r.open() != Status::Ok) return 0;
  while (r.next() == Status::Ok) {
    (void)extractName(r.member().name);
    // Tiny inputs can describe gigabytes of repeated matches; stay quick.
    if (r.member().originalSize > (1u << 22)) continue;
    CountingSink sink;
    Status s = r.extract(sink);
    if (s == Status::Ok && sink.count != r.member().originalSize) std::abort();
    if (sink.count > r.member().originalSize) std::abort();
  }
  return 0;
}
