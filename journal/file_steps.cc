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

// The bytes past the planned size of the file the records were written into,
// read through its second name, when that file is no longer under a (the
// host took it: what it holds is what the host was given); empty otherwise.
// False when it cannot be read.
bool takenByTheHost(const Step& s, std::string& taken) {
  taken.clear();
  const std::string kept = s.d.empty() ? std::string() : identityText(s.d.c_str());
  if (kept.empty() || kept == identityText(s.a.c_str())) return true;
  File f(s.d.c_str(), OpenMode::Read);
  const int64_t size = f ? f.size() : -1;
  if (size < 0) return false;
  // What stood before the plan was others'; a file the write made is all ours.
  const uint64_t from = kept == s.c && s.m >= 0 ? static_cast<uint64_t>(s.m) : 0;
  const uint64_t end = static_cast<uint64_t>(size);
  return end <= from || readRange(f, from, end - from, taken);
}

// Before records go into a, a second name for it, so that a run again can
// read what the host took should it delete a after a crash. A file standing
// at planning got one then, with the plan's first sync; one the write makes
// gets it here, after a's own name is durable: the second name must never
// outlive a name the host never saw. One standing is kept (it may show what
// the host took). Without second names (FAT, many network shares) a run
// again cannot tell, and writes what the new file lacks: a record twice
// rather than a delivery without one.
bool keepSecondName(const Step& s, DurableSet& touched) {
  if (s.d.empty() || exists(s.d)) return true;
  DurableSet name;
  name.file(s.a);
  if (!name.flush()) return false;
  if (!platform().linkFile(s.a.c_str(), s.d.c_str())) return !exists(s.d);
  touched.arrival(s.d);
  return true;
}

std::string folderOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// The name of ours beside a retired source's move target on another volume:
// after its archive (c) and the source's path, size and time, so that
// another tree moving into that folder draws another.
std::string retireCopyName(const Step& s) {
  const std::string archive = s.c.substr(s.c.find_last_of("/\\") + 1);
  char sum[24];
  std::snprintf(sum, sizeof sum, "%08llx",
                static_cast<unsigned long long>(
                    checksum(s.a + '\t' + std::to_string(s.n) + '\t' + std::to_string(s.m)) &
                    0xffffffffu));
  return folderOf(s.b) + "/~TORVEX-" + archive.substr(0, archive.find('.')) + "-" + sum + ".TMP";
}

// A file under that name no longer than the source is a copy of ours cut
// short: it goes. False when a file of someone else's stands there.
bool clearRetireCopy(const std::string& copy, int64_t size) {
  DirSearch found(copy.c_str());
  if (!found.found()) return true;
  if (static_cast<int64_t>(found.entry().size) > size) return false;
  found.close();
  return platform().deleteFile(copy.c_str()) || !exists(copy);
}

bool stillPacked(const Step& s) {
  DirSearch found(s.a.c_str());
  return found.found() && static_cast<int64_t>(found.entry().size) == s.n &&
         found.entry().lastWriteTime == s.m;
}

// A move no rename reaches: the source's bytes copied into a name of ours in
// the target's folder, synced, renamed over the target and made durable on
// its volume before the source goes, so that a power cut keeps the source
// or the moved file whole, never neither.
StepResult retireAcross(const Step& s, DurableSet& touched) {
  const std::string copy = retireCopyName(s);
  if (!clearRetireCopy(copy, s.n)) return StepResult::Later;
  File source(s.a.c_str(), OpenMode::Read);
  File out(copy.c_str(), OpenMode::CreateNew);
  bool placed = source && out && copyFrom(source, 0, static_cast<uint64_t>(s.n), out) &&
                out.close() && stillPacked(s);
  source.close();
  out.close();
  placed = placed && platform().replaceFile(copy.c_str(), s.b.c_str());
  if (!placed) {
    clearRetireCopy(copy, s.n);
    return StepResult::Later;
  }
  DurableSet target;
  target.file(s.b);
  if (!target.flush()) return StepResult::Later;
  touched.departure(s.a);
  return platform().deleteFile(s.a.c_str()) ? StepResult::Done : StepResult::Later;
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

bool renameReaches(const std::string& file, const std::string& target) {
  FileIdentity from;
  return platform().fileIdentity(file.c_str(), from) && renameReaches(from, target);
}

bool renameReaches(const FileIdentity& file, const std::string& target) {
  FileIdentity to;
  return platform().fileIdentity(folderOf(target).c_str(), to) && file.volume == to.volume;
}

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
  const bool moves = !s.b.empty() && s.a != s.b;
  if (!stillPacked(s)) {
    // No longer the file that was packed; a copy of ours cut short goes.
    if (moves) clearRetireCopy(retireCopyName(s), s.n);
    return StepResult::Done;
  }
  touched.departure(s.a);
  Platform& p = platform();
  if (!moves) return p.deleteFile(s.a.c_str()) ? StepResult::Done : StepResult::Later;
  if (!renameReaches(s.a, s.b)) return retireAcross(s, touched);
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
  std::string region, taken;
  File view(s.a.c_str(), OpenMode::Read);
  if (!view || !readRange(view, from, static_cast<uint64_t>(size) - from, region)) return StepResult::Failed;
  if (verify && !takenByTheHost(s, taken)) return StepResult::Failed;
  auto written = [&region, &taken](const std::string& record) {
    return !record.empty() && (region.find(record) != std::string::npos ||
                               taken.find(record) != std::string::npos);
  };
  std::string missing;
  for (const Step* r : fragments) {
    if (written(r->a) || written(r->b)) continue;
    missing += !r->b.empty() && exists(r->c) ? r->b : r->a;
  }
  if (missing.empty()) return StepResult::Done;
  // A write of ours torn by a crash is completed, never cut.
  size_t torn = 0;
  if (verify) {
    for (size_t k = std::min(missing.size() - 1, region.size()); k > 0 && torn == 0; --k) {
      if (std::string_view(region).ends_with(std::string_view(missing).substr(0, k))) torn = k;
    }
  }
  if (!keepSecondName(s, touched)) return StepResult::Failed;
  return f.writeAll(missing.data() + torn, missing.size() - torn) && f.sync() ? StepResult::Done
                                                                             : StepResult::Failed;
}

}  // namespace torvex
