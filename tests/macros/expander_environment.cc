#include "tests/macros/expander_environment.h"

#include <cstring>

#include "macros/trata_macro_fi.h"

namespace torvex::testing {

std::string ExpansorTest::expande(const char* fi, const char* raiz, const char* carimbo) {
  constexpr size_t kGuarda = 64;
  char buffer[256 + kGuarda];
  std::memset(buffer, 'G', sizeof buffer);
  EXPECT_EQ(trataMacroFI(buffer, fi, raiz, carimbo), 0);
  for (size_t i = 256; i < sizeof buffer; ++i) {
    EXPECT_EQ(buffer[i], 'G') << "written past the 256-byte buffer at " << i;
  }
  const void* fim = std::memchr(buffer, '\0', 256);
  EXPECT_NE(fim, nullptr) << "no terminator within 256 bytes";
  return fim ? std::string(buffer) : std::string();
}

}  // namespace torvex::testing
