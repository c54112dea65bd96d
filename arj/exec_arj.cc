#include "arj/exec_arj.h"

#include "arj/check_extract.h"
#include "arj/run_command.h"

#include <algorithm>
#include <functional>
#include <new>

#include "arj/archive_reader.h"
#include "arj/archive_writer.h"
#include "arj/command_line.h"
#include "arj/file_streams.h"
#include "arj/lzh_constants.h"
#include "arj/member_name.h"
#include "platform/file.h"

namespace torvex::arj {
namespace {

// The error levels arj documents.
enum Level : int {
  kSuccess = 0,
  kFatal = 2,
  kCrcError = 3,
  kWriteError = 5,
  kCannotOpen = 6,
  kUserError = 7,
  kNoMemory = 8,
  kNotArchive = 9,
};

int levelOf(Status s) {
  switch (s) {
    case Status::Ok:
    case Status::End:
      return kSuccess;
    case Status::NotArchive:
      return kNotArchive;
    case Status::BadHeader:
    case Status::Truncated:
    case Status::BadData:
    case Status::BadCrc:
      return kCrcError;
    case Status::WriteError:
      return kWriteError;
    case Status::Unsupported:
    case Status::ReadError:
    case Status::TooLarge:
      return kFatal;
  }
  return kFatal;
}

// Whether reading can go on to the next member after this outcome.
bool positionKnown(Status s) {
  return s != Status::BadHeader && s != Status::Truncated && s != Status::ReadError;
}

#ifdef _WIN32
constexpr uint8_t kNativeHost = kHostDos;
#else
constexpr uint8_t kNativeHost = kHostUnix;
#endif

// A timestamp as the host we write for stores it: Unix seconds, or the DOS
// date and time of the local calendar.
uint32_t stamp(int64_t utc) {
  if (kNativeHost == kHostUnix) return static_cast<uint32_t>(std::clamp<int64_t>(utc, 0, 0xFFFFFFFF));
  LocalTime t = platform().toLocalTime(utc);
  return toDosTime(t.year, t.month, t.day, t.hour, t.minute, t.second);
}

std::string directoryOf(const std::string& path) {
  std::string_view last = lastComponent(path);
  return path.substr(0, path.size() - last.size());  // keeps the separator
}

bool sameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    auto low = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return low(x) == low(y);
  });
}

// A fresh file beside `dirWithSeparator`'s other entries, created exclusively
// so an existing file or link of that name is never opened.
File createTemp(const std::string& dirWithSeparator, std::string& name) {
  for (int n = 0; n < 1000; ++n) {
    name = dirWithSeparator + "ARJ$" + std::to_string(n) + ".TMP";
    File f(name.c_str(), OpenMode::CreateNew);
    if (f) return f;
    if (platform().lastError() != kErrorFileExists && platform().lastError() != kErrorAlreadyExists)
      break;
  }
  name.clear();
  return File();
}

// Where a command writes a file: straight under its name when nothing is
// there, which a failure removes again (nothing of anyone's was there), else
// a fresh temporary file beside it that takes its place once complete, so
// that a file there is untouched unless all went well.
struct Output {
  File file;
  std::string name;  // what is written: the target itself, or the temporary file
  bool direct = false;
};

Output openOutput(const std::string& dirWithSeparator, const std::string& target) {
  Output o;
  o.file = File(target.c_str(), OpenMode::CreateNew);
  if (o.file) {
    o.name = target;
    o.direct = true;
  } else {
    o.file = createTemp(dirWithSeparator, o.name);
  }
  return o;
}

// Closes a finished output and, when it was written aside, renames it over
// `target`; on failure it is removed. A `durable` file is synced first;
// extracted members are not: the caller that publishes one syncs it then,
// and a crash before that only costs a new extraction from the archive,
// which stays until the delivery stands.
int commitOutput(Output& o, FileSink& sink, const std::string& target, bool durable) {
  bool ok = sink.flush() && (!durable || o.file.sync());
  ok = o.file.close() && ok;
  if (ok && (o.direct || platform().replaceFile(o.name.c_str(), target.c_str()))) return kSuccess;
  platform().deleteFile(o.name.c_str());
  return kWriteError;
}

void discardOutput(Output& o) {
  o.file.close();
  platform().deleteFile(o.name.c_str());
}

class NullSink : public ByteSink {
 public:
  bool write(const uint8_t*, size_t) override { return true; }
};

// The one walk over an archive: opens it, then calls `visit` on each member
// in order until the end, a header that cannot be read, or `visit` returning
// false. Returns Ok at the end or when stopped, else what stopped the walk.
template <typename Visit>
Status eachMember(ArchiveReader& r, Visit&& visit) {
  if (Status s = r.open(); s != Status::Ok) return s;
  while (true) {
    Status s = r.next();
    if (s == Status::End) return Status::Ok;
    if (s != Status::Ok) return s;
    if (!visit()) return Status::Ok;
  }
}

// Copies the members of an existing archive, except the one being replaced.
Status copyOthers(const std::string& archive, const std::string& replaced, ArchiveWriter& w) {
  File f(archive.c_str(), OpenMode::Read);
  if (!f) return Status::ReadError;
  FileSource src(f);
  ArchiveReader r(src);
  Status copied = Status::Ok;
  Status s = eachMember(r, [&] {
    if (r.isFile() && sameName(r.member().name, replaced)) return true;
    copied = w.copyMember(r);
    return copied == Status::Ok;
  });
  return s != Status::Ok ? s : copied;
}

int add(const std::string& archive, const std::string& file) {
  File src(file.c_str(), OpenMode::Read);
  DirSearch found(file.c_str());
  if (!src || !found.found() || (found.entry().attributes & kAttrDirectory)) return kCannotOpen;
  const DirEntry& e = found.entry();
  int64_t size = src.size();
  if (size < 0) return kCannotOpen;
  if (static_cast<uint64_t>(size) > kMaxMemberSize) return kFatal;

  MemberHeader h;
  h.hostOs = kNativeHost;
  h.flags = kFlagPathSym;  // the stored name has no directory part
  h.name = e.name;  // the name as the file system spells it
  h.modified = stamp(e.lastWriteTime);
  h.accessed = stamp(e.lastAccessTime);
  h.created = stamp(e.creationTime);
  bool readOnly = e.attributes & kAttrReadOnly;
  h.accessMode = kNativeHost == kHostUnix ? (readOnly ? 0x1124 : 0x11A4) : (readOnly ? 0x21 : 0x20);

  MainHeader m;
  m.hostOs = kNativeHost;
  m.flags = kNativeHost == kHostUnix ? kFlagPathSym : 0;
  m.name = std::string(lastComponent(archive));
  m.created = m.modified = stamp(platform().utcNow());

  Output out = openOutput(directoryOf(archive), archive);
  if (!out.file) return kWriteError;
  FileSink sink(out.file);
  ArchiveWriter w(sink);
  FileSource in(src);
  // Replacing an archive must never lose the one there, so the new one is
  // synced before it takes its place; a brand-new archive has nothing to
  // lose, and a caller that needs it to last syncs it with its own batch.
  const bool replaces = !out.direct && pathExists(archive.c_str());
  Status s = w.begin(m);
  if (s == Status::Ok && replaces) s = copyOthers(archive, h.name, w);
  if (s == Status::Ok) s = w.addMember(h, in, 1, static_cast<uint64_t>(size));
  if (s == Status::Ok) s = w.finish();
  if (s != Status::Ok) {
    discardOutput(out);
    return levelOf(s);
  }
  return commitOutput(out, sink, archive, replaces);
}

int test(const std::string& archive) {
  File f(archive.c_str(), OpenMode::Read);
  if (!f) return kCannotOpen;
  FileSource src(f);
  ArchiveReader r(src);
  int level = kSuccess;
  Status s = eachMember(r, [&] {
    if (!r.isFile()) return true;
    NullSink sink;
    Status tested = r.extract(sink);
    level = std::max(level, levelOf(tested));
    return positionKnown(tested);
  });
  return std::max(level, levelOf(s));
}

// Extracts one member into `dir` (ending in a separator) under `name`.
Status extractOne(ArchiveReader& r, const std::string& dir, const std::string& name, int& level) {
  const std::string target = dir + name;
  Output out = openOutput(dir, target);
  if (!out.file) {
    level = std::max<int>(level, kWriteError);
    return Status::Ok;  // the archive itself is fine: go on
  }
  FileSink sink(out.file);
  Status s = r.extract(sink);
  if (s == Status::Ok) {
    level = std::max(level, commitOutput(out, sink, target, false));
  } else {
    discardOutput(out);
    level = std::max(level, levelOf(s));
  }
  return s;
}

// The member loop of "e": every member that "e" creates goes, under the name
// it gets, to `put`, which decodes it and says how that went.
using MemberWriter = std::function<Status(ArchiveReader&, const std::string& name, int& level)>;

int extractMembers(File& f, const MemberWriter& put) {
  FileSource src(f);
  ArchiveReader r(src);
  int level = kSuccess;
  Status s = eachMember(r, [&] {
    if (!r.isFile()) return true;  // directories, labels and special files are never created
    std::optional<std::string> name = extractName(r.member().name);
    if (!name) {
      level = std::max<int>(level, kFatal);
      return true;
    }
    if (Status checked = r.checkExtractable(); checked != Status::Ok) {
      level = std::max(level, levelOf(checked));
      return true;
    }
    return positionKnown(put(r, *name, level));
  });
  return std::max(level, levelOf(s));
}

int extract(const std::string& archive, std::string dir) {
  File f(archive.c_str(), OpenMode::Read);
  if (!f) return kCannotOpen;
  if (dir.back() != '/' && dir.back() != '\\') dir += '/';
  uint32_t attrs = platform().fileAttributes(dir.c_str());
  if (attrs == kInvalidAttributes && platform().createDirectory(dir.c_str()))
    attrs = platform().fileAttributes(dir.c_str());
  if (attrs == kInvalidAttributes || !(attrs & kAttrDirectory)) return kCannotOpen;
  return extractMembers(f, [&dir](ArchiveReader& r, const std::string& name, int& level) {
    return extractOne(r, dir, name, level);
  });
}

int run(const char* commandLine) {
  ArjCommand cmd;
  if (!parseCommandLine(commandLine, cmd)) return kUserError;
  switch (cmd.verb) {
    case 'a':
      return add(cmd.archive, cmd.other);
    case 't':
      return test(cmd.archive);
    default:
      return extract(cmd.archive, cmd.other);
  }
}

}  // namespace

int checkExtract(const char* archive, const std::function<ByteSink*(const std::string&)>& sinkFor) {
  try {
    File f(archive, OpenMode::Read);
    if (!f) return kCannotOpen;
    return extractMembers(f, [&sinkFor](ArchiveReader& r, const std::string& name, int& level) {
      NullSink discard;
      ByteSink* sink = sinkFor(name);
      Status s = r.extract(sink ? *sink : discard);
      level = std::max(level, levelOf(s));
      return s;
    });
  } catch (const std::bad_alloc&) {
    return kNoMemory;
  }
}

int runCommand(const char* commandLine, int reserved) {
  if (reserved != 0) return kUserError;
  try {
    return run(commandLine);
  } catch (const std::bad_alloc&) {
    return kNoMemory;
  } catch (...) {
    return kFatal;
  }
}

}  // namespace torvex::arj
