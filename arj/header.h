// The archive's header records: the main header that opens it and the local
// header before each member. Parsing bounds every field; serialising writes
// them as arj 3.10 does (34-byte main, 46-byte local fixed parts).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "arj/buffered_input.h"
#include "arj/byte_stream.h"
#include "arj/status.h"

namespace torvex::arj {

constexpr size_t kMaxBasicHeader = 2600;

enum HostOs : uint8_t { kHostDos = 0, kHostUnix = 2 };

enum FileType : uint8_t {
  kTypeBinary = 0,
  kTypeText = 1,
  kTypeMain = 2,
  kTypeDirectory = 3,
  kTypeVolumeLabel = 4,
  kTypeChapterLabel = 5,
  kTypeSpecial = 6,
};

enum HeaderFlags : uint8_t {
  kFlagGarbled = 0x01,
  kFlagVolume = 0x04,
  kFlagExtFile = 0x08,
  kFlagPathSym = 0x10,
};

struct MainHeader {
  uint8_t archiverVersion = 11, minVersion = 1, hostOs = kHostDos, flags = 0;
  uint8_t securityVersion = 0, encryptionVersion = 0;
  uint32_t created = 0, modified = 0;
  std::string name, comment;
};

struct MemberHeader {
  uint8_t archiverVersion = 11, minVersion = 1, hostOs = kHostDos, flags = 0;
  uint8_t method = 0, fileType = kTypeBinary, passwordModifier = 0;
  uint32_t modified = 0, compressedSize = 0, originalSize = 0, crc = 0;
  uint16_t accessMode = 0;
  uint32_t accessed = 0, created = 0;
  std::string name, comment;
  std::vector<uint8_t> basic;  // the basic header as read, for copying a member unchanged
};

// Reads the main header at the current position (arj archives start with it).
Status readMainHeader(BufferedInput& in, MainHeader& out);
// Reads the next local header, or returns End at the end marker.
Status readMemberHeader(BufferedInput& in, MemberHeader& out);

// Whole header records (id, size, basic header, CRC, empty extended chain).
std::vector<uint8_t> serializeMainHeader(const MainHeader& h);
std::vector<uint8_t> serializeMemberHeader(const MemberHeader& h);
// A record around an already-built basic header.
std::vector<uint8_t> headerRecord(const std::vector<uint8_t>& basic);
// The four bytes that close an archive.
constexpr uint8_t kEndMarker[4] = {0x60, 0xEA, 0x00, 0x00};

// Timestamp conversions: Unix seconds <-> DOS date/time of a local calendar.
uint32_t toDosTime(int year, int month, int day, int hour, int minute, int second);

}  // namespace torvex::arj
