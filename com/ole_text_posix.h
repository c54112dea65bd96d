// File paths between the wide strings of the automation calls and the bytes
// the POSIX file system takes: UTF-8, with each byte that is not valid UTF-8
// carried through as U+DC80..U+DCFF so that every path survives the round trip.
#pragma once

#include <string>

#include "com/com.h"

namespace torvex {

std::u16string pathToOle(const std::string& bytes);
std::string pathFromOle(const char16_t* wide);  // null reads as ""

}  // namespace torvex
