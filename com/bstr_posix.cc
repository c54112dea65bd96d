// BSTR allocation with the OLE Automation layout: a 32-bit byte length just
// before the characters, and a terminating NUL after them.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "com/com.h"

namespace {

constexpr size_t kPrefix = sizeof(uint32_t);
// Largest length whose byte count, prefix and terminator fit 32 bits.
constexpr UINT kMaxLength = (UINT32_MAX - kPrefix - sizeof(OLECHAR)) / sizeof(OLECHAR);

char* blockOf(BSTR s) { return reinterpret_cast<char*>(s) - kPrefix; }

BSTR finish(char* block, UINT len) {
  const uint32_t bytes = static_cast<uint32_t>(len * sizeof(OLECHAR));
  std::memcpy(block, &bytes, kPrefix);
  BSTR s = reinterpret_cast<BSTR>(block + kPrefix);
  s[len] = 0;
  return s;
}

size_t lengthOf(LPCOLESTR s) {
  size_t n = 0;
  while (s[n] != 0) ++n;
  return n;
}

}  // namespace

BSTR SysAllocStringLen(const OLECHAR* s, UINT len) {
  if (len > kMaxLength) return nullptr;
  char* block = static_cast<char*>(std::malloc(kPrefix + (size_t{len} + 1) * sizeof(OLECHAR)));
  if (!block) return nullptr;
  OLECHAR* chars = reinterpret_cast<OLECHAR*>(block + kPrefix);
  if (s) {
    std::memcpy(chars, s, size_t{len} * sizeof(OLECHAR));
  } else {
    std::memset(chars, 0, size_t{len} * sizeof(OLECHAR));
  }
  return finish(block, len);
}

BSTR SysAllocString(LPCOLESTR s) {
  if (!s) return nullptr;
  size_t len = lengthOf(s);
  return len > kMaxLength ? nullptr : SysAllocStringLen(s, static_cast<UINT>(len));
}

int SysReAllocStringLen(BSTR* pbstr, const OLECHAR* s, UINT len) {
  if (!pbstr) return 0;
  // `s` may point into the string being replaced: copy before freeing.
  BSTR fresh = SysAllocStringLen(s, len);
  if (!fresh) return 0;
  SysFreeString(*pbstr);
  *pbstr = fresh;
  return 1;
}

void SysFreeString(BSTR s) {
  if (s) std::free(blockOf(s));
}

UINT SysStringByteLen(BSTR s) {
  if (!s) return 0;
  uint32_t bytes;
  std::memcpy(&bytes, blockOf(s), kPrefix);
  return bytes;
}

UINT SysStringLen(BSTR s) { return SysStringByteLen(s) / sizeof(OLECHAR); }
