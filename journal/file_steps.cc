#include "journal/file_steps.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "platform/file.h"

namespace torvex {
namespace {

bool exists(const std::string& path) { return pathExists(path.c_str()); }

bool readRange(File& f, uint64_t offset, uint64_t size, std::string& out) {
  out.assign(size, '\0');
  if (size == 0) return true;
  if (!f.seek(offset)) return false;
  for (uint64_t done = 0; done < size;) {
    const long got = f.read(out.data() + done, static_cast<size_t>(size - done));
    if (got <= 0) return false;
    done += static_cast<uint64_t>(got);
  }
  return true;
}

// Copies `from`'s bytes from `offset` to the end of `to` (opened to append).
bool copyFrom(File& from, uint64_t offset, uint64_t size, File& to) {
  if (!from.seek(offset)) return false;
  char block[65536];
  for (uint64_t done = offset; done < size;) {
    const size_t want = size - done < sizeof block ? static_cast<size_t>(size - done) : sizeof block;
    const long got = from.read(block, want);
    if (got <= 0 || !to.writeAll(block, static_cast<size_t>(got))) return false;
    done += static_cast<uint64_t>(got);
  }
  return to.sync();
}

// How many bytes the target holds past `offset` that are a prefix of the
// source's bytes: -1 when what stands there is not (all) ours.
int64_t oursPast(File& target, uint64_t targetSize, uint64_t offset, File& source,
                 const Digest& d) {
  if (targetSize < offset) return -1;
  const uint64_t k = targetSize - offset;
  if (k > d.size) return -1;
  std::string theirs, ours;
  if (!readRange(target, offset, k, theirs) || !readRange(source, 0, k, ours)) return -1;
  return theirs == ours ? static_cast<int64_t>(k) : -1;
}

bool move(const std::string& from, const std::string& to, bool replace) {
  return replace ? platform().replaceFile(from.c_str(), to.c_str())
                 : platform().moveFile(from.c_str(), to.c_str());
}

// A file under a copy's own name (planned free, named after what it holds)
// is ours while it is no longer than the bytes the copy puts there: a copy
// cut short, or whole.
void removeOurCopy(const Step& s, DurableSet& touched) {
  File f(s.c.c_str(), OpenMode::Read);
  const int64_t size = f ? f.size() : -1;
  f.close();
  if (size < 0 || static_cast<uint64_t>(size) > s.digest.size) return;
  touched.departure(s.c);
  platform().deleteFile(s.c.c_str());
}

// The bytes of a copied to c and made durable there, then c renamed to b.
StepResult copyAndPlace(const Step& s, DurableSet& touched) {
  File source(s.a.c_str(), OpenMode::Read);
  if (!source) return StepResult::Failed;
  File copy(s.c.c_str(), OpenMode::CreateNew);
  if (!copy) return StepResult::Failed;  // a file under c now is not ours
  const bool copied = copyFrom(source, 0, s.digest.size, copy) && copy.close();
  // What reached c is checked, not assumed: a changed source is no payload.
  if (!copied || !holds(s.c.c_str(), s.digest) || !move(s.c, s.b, s.replace)) {
    copy.close();
    removeOurCopy(s, touched);
    return StepResult::Failed;
  }
  return StepResult::Done;
}

// Whether a file can be moved to `to`: over a writable file when it
// replaces one, else to a free name in an existing directory.
bool canMoveTo(const std::string& to, bool replace) {
  const uint32_t attributes = platform().fileAttributes(to.c_str());
  if (attributes == kInvalidAttributes) return canAppendTo(to.c_str());
  return replace && (attributes & (kAttrDirectory | kAttrReadOnly)) == 0;
}

bool appendWouldFail(const Step& s) {
  FileIdentity from, to;
  if (platform().fileIdentity(s.a.c_str(), from) && platform().fileIdentity(s.b.c_str(), to) &&
      from == to) {
    return true;
  }
  if (!canAppendTo(s.b.c_str())) return true;
  // A missing target is made empty by the step.
  File view(s.b.c_str(), OpenMode::Read);
  const uint64_t have = view ? static_cast<uint64_t>(std::max<int64_t>(view.size(), 0)) : 0;
  const uint64_t offset = static_cast<uint64_t>(s.m);
  uint64_t sum = 0;
  if (have >= offset + s.digest.size && checksumOfRange(view, offset, s.digest.size, sum) &&
      sum == s.digest.sum) {
    return false;
  }
  Digest found;
  if (!digestOf(s.a.c_str(), found) || found != s.digest) return true;
  File source(s.a.c_str(), OpenMode::Read);
  return oursPast(view, have, offset, source, s.digest) < 0;
}

}  // namespace

bool canAppendTo(const char* path) {
  const uint32_t attributes = platform().fileAttributes(path);
  if (attributes != kInvalidAttributes) return (attributes & (kAttrDirectory | kAttrReadOnly)) == 0;
  // A missing file is made in its directory ("X:" stands for the drive's root).
  const std::string_view text = path;
  const size_t slash = text.rfind('/');
  if (slash == text.npos) return true;
  std::string directory(text.substr(0, slash));
  if (directory.empty() || directory.back() == ':') directory += '/';
  const uint32_t parent = platform().fileAttributes(directory.c_str());
  return parent != kInvalidAttributes && (parent & kAttrDirectory);
}

bool wouldFail(const Step& s) {
  switch (s.op) {
    case Op::Require:
      return !holds(s.a.c_str(), s.digest) && !holds(s.b.c_str(), s.digest);
    case Op::Rename:
      if (holds(s.b.c_str(), s.digest)) return false;
      if (!holds(s.a.c_str(), s.digest)) return !s.ifPresent || exists(s.a);
      return !canMoveTo(s.b, s.replace);
    case Op::Copy: {
      if (holds(s.b.c_str(), s.digest)) return false;
      if (!canMoveTo(s.b, s.replace)) return true;
      if (holds(s.c.c_str(), s.digest)) return false;
      // A file under c longer than the bytes is not ours, and stays.
      File under(s.c.c_str(), OpenMode::Read);
      if (under && under.size() > static_cast<int64_t>(s.digest.size)) return true;
      return !holds(s.a.c_str(), s.digest);
    }
    case Op::Append:
      return appendWouldFail(s);
    case Op::Retire:
      return !s.pending && (!exists(s.c) || !exists(s.d));
    case Op::Write:
      return !canAppendTo(s.a.c_str());
    case Op::CutBack:
    case Op::Delete:
    case Op::DropOld:
    case Op::Fragment:
    case Op::Barrier:
      return false;
  }
  return true;  // a step this version does not know fails
}

std::string identityText(const char* path) {
  FileIdentity id;
  if (!platform().fileIdentity(path, id)) return {};
  char text[48];
  std::snprintf(text, sizeof text, "%llx:%llx", static_cast<unsigned long long>(id.volume),
                static_cast<unsigned long long>(id.index));
  return text;
}

StepResult requireStep(const Step& s, bool verify) {
  // A first run made the file itself a moment ago.
  return !verify || holds(s.a.c_str(), s.digest) || holds(s.b.c_str(), s.digest)
             ? StepResult::Done
             : StepResult::Failed;
}

StepResult renameStep(const Step& s, bool verify, DurableSet& touched) {
  touched.departure(s.a);
  touched.arrival(s.b);
  if (!verify) return move(s.a, s.b, s.replace) ? StepResult::Done : StepResult::Failed;
  if (holds(s.b.c_str(), s.digest)) {
    // Both names may survive a power cut; the earlier one then goes.
    if (holds(s.a.c_str(), s.digest)) platform().deleteFile(s.a.c_str());
    return StepResult::Done;
  }
  if (!holds(s.a.c_str(), s.digest)) {
    return s.ifPresent && !exists(s.a) ? StepResult::Done : StepResult::Failed;
  }
  return move(s.a, s.b, s.replace) ? StepResult::Done : StepResult::Failed;
}

StepResult copyStep(const Step& s, bool verify, DurableSet& touched) {
  // The copy's name and the placed one share a folder. The placed file is
  // synced again at the barrier: on a volume without directory syncs (NTFS)
  // only a file's flush there makes the rename durable, and nothing else of
  // the pass is flushed on the destination's volume.
  touched.file(s.b);
  if (!verify) return copyAndPlace(s, touched);
  if (holds(s.b.c_str(), s.digest)) {
    removeOurCopy(s, touched);
    return StepResult::Done;
  }
  // A whole copy is placed even when the file it came from has gone since.
  if (holds(s.c.c_str(), s.digest) && move(s.c, s.b, s.replace)) return StepResult::Done;
  removeOurCopy(s, touched);
  if (pathExists(s.c.c_str()) || !holds(s.a.c_str(), s.digest)) return StepResult::Failed;
  return copyAndPlace(s, touched);
}

StepResult appendStep(const Step& s, bool verify, DurableSet& touched) {
  // A file is never appended to itself, under any name or link.
  FileIdentity from, to;
  if (platform().fileIdentity(s.a.c_str(), from) && platform().fileIdentity(s.b.c_str(), to) &&
      from == to) {
    return StepResult::Failed;
  }
  touched.file(s.b);
  const uint64_t offset = static_cast<uint64_t>(s.m);
  File target(s.b.c_str(), OpenMode::Append);
  const int64_t size = target ? target.size() : -1;
  if (size < 0) return StepResult::Failed;
  const uint64_t have = static_cast<uint64_t>(size);
  // Appending writes go to the end whatever the position: reads need their own handle.
  File view;
  if (verify) view = File(s.b.c_str(), OpenMode::Read);
  if (verify && have >= offset + s.digest.size) {
    uint64_t sum = 0;
    if (checksumOfRange(view, offset, s.digest.size, sum) && sum == s.digest.sum) {
      return StepResult::Done;
    }
  }
  File source(s.a.c_str(), OpenMode::Read);
  if (!source) return StepResult::Failed;
  if (!verify) {
    // Anything appended since planning would be taken for ours by a run again.
    if (have != offset) return StepResult::Failed;
    return copyFrom(source, 0, s.digest.size, target) ? StepResult::Done : StepResult::Failed;
  }
  Digest found;
  if (!digestOf(s.a.c_str(), found) || found != s.digest) return StepResult::Failed;
  const int64_t ours = oursPast(view, have, offset, source, s.digest);
  if (ours < 0) return StepResult::Failed;
  return copyFrom(source, static_cast<uint64_t>(ours), s.digest.size, target) ? StepResult::Done
                                                                              : StepResult::Failed;
}

StepResult cutBackStep(const Step& s, DurableSet& touched) {
  File target(s.b.c_str(), OpenMode::ReadWrite), source(s.a.c_str(), OpenMode::Read);
  const int64_t size = target ? target.size() : -1;
  if (!source || size <= s.m) return StepResult::Done;
  if (oursPast(target, static_cast<uint64_t>(size), static_cast<uint64_t>(s.m), source, s.digest) > 0) {
    touched.file(s.b);
    target.truncate(static_cast<uint64_t>(s.m));
  }
  return StepResult::Done;
}

StepResult deleteStep(const Step& s, bool verify, DurableSet& touched) {
  touched.departure(s.a);
  if (s.n < 0) {
    platform().deleteFile(s.a.c_str());  // scratch of ours: one already gone is as good
    return StepResult::Done;
  }
  // Someone else's file under that name now is not ours to take; nor is one
  // that something standing beside it still needs.
  if (verify && !holds(s.a.c_str(), s.digest)) return StepResult::Done;
  if (!s.c.empty() && exists(s.c)) return StepResult::Done;
  if (platform().deleteFile(s.a.c_str()) || !exists(s.a)) return StepResult::Done;
  return StepResult::Later;
}

StepResult dropOldStep(const Step& s, DurableSet& touched) {
  touched.departure(s.b);
  if (exists(s.b) && holds(s.a.c_str(), s.digest)) platform().deleteFile(s.b.c_str());
  return StepResult::Done;
}

StepResult retireStep(const Step& s, DurableSet& touched) {
  // A first try retires a source only beside its published pair.
  if (!s.pending && (!exists(s.c) || !exists(s.d))) return StepResult::Failed;
  DirSearch found(s.a.c_str());
  if (!found.found() || static_cast<int64_t>(found.entry().size) != s.n ||
      found.entry().lastWriteTime != s.m) {
    return StepResult::Done;  // no longer the file that was packed
  }
  found.close();
  touched.departure(s.a);
  Platform& p = platform();
  if (s.b.empty() || s.a == s.b) return p.deleteFile(s.a.c_str()) ? StepResult::Done : StepResult::Later;
  touched.arrival(s.b);
  // Delete, then move (not an atomic replace): a move may cross drives.
  p.deleteFile(s.b.c_str());
  return p.moveFile(s.a.c_str(), s.b.c_str()) ? StepResult::Done : StepResult::Later;
}

StepResult writeStep(const Step& s, const std::vector<const Step*>& fragments, bool verify,
                     DurableSet& touched) {
  touched.file(s.a);
  File f(s.a.c_str(), OpenMode::Append);
  const int64_t size = f ? f.size() : -1;
  if (size < 0) return StepResult::Failed;
  // The file planned for: what was there before belongs to others. Another
  // file (the host took the old one): any of it may be ours.
  const bool same = s.m >= 0 && identityText(s.a.c_str()) == s.c && size >= s.m;
  const uint64_t from = same ? static_cast<uint64_t>(s.m) : 0;
  std::string region;
  File view(s.a.c_str(), OpenMode::Read);
  if (!view || !readRange(view, from, static_cast<uint64_t>(size) - from, region)) return StepResult::Failed;
  std::string missing;
  for (const Step* r : fragments) {
    const bool alternative = !r->b.empty() && exists(r->c);
    if (region.find(r->a) != std::string::npos ||
        (!r->b.empty() && region.find(r->b) != std::string::npos)) {
      continue;
    }
    missing += alternative ? r->b : r->a;
  }
  if (missing.empty()) return StepResult::Done;
  // A write of ours torn by a crash is completed, never cut.
  size_t torn = 0;
  if (verify) {
    for (size_t k = std::min(missing.size() - 1, region.size()); k > 0 && torn == 0; --k) {
      if (std::string_view(region).ends_with(std::string_view(missing).substr(0, k))) torn = k;
    }
  }
  return f.writeAll(missing.data() + torn, missing.size() - torn) && f.sync() ? StepResult::Done
                                                                             : StepResult::Failed;
}

}  // namespace torvex
