// The date and time a received file's stamp carries, such as
// "ABCDEF.GH+202612061504+".
#pragma once

#include <string>

namespace torvex {

// Year, month, day, hour and minute, in that order.
constexpr int kCamposDataCarimbo = 5;

struct CamposCarimbo {
  std::string campos[kCamposDataCarimbo];
  int lidos = 0;  // how many of `campos`, from the first, the scan reached
};

// Scans `carimbo` as the format "%6s.%2s+%04s%02s%02s%02s%02s+" does: blanks
// are skipped before each field, a field is a run of 1 to width non-blank
// characters, "." and "+" must stand where the format has them, and the scan
// stops at the first mismatch. The two leading fields are read and dropped;
// the date fields are kept as text, unchecked.
CamposCarimbo leCarimbo(const char* carimbo);

}  // namespace torvex
