// Wraps the live platform to model a machine whose power fails: it remembers
// what of a directory tree reached the medium (file contents at their last
// sync, directory entries at their directory's last sync) and, from a chosen
// operation on, lets nothing more
// change, as if the machine had stopped there. cut() then puts the tree in
// one of the states a real disk could come back in (two names of one file
// come back as one file). Further trees may be
// declared other volumes: each is made durable by its own syncs only, a file
// there has another volume in its identity, a move onto one is a copy and a
// delete (as MoveFile does) and a replace onto one fails (as MoveFileEx does
// without leave to copy).
#pragma once

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace torvex::testing {

enum class Survivor {
  Everything,  // the process died, the machine did not: nothing is lost
  Synced,      // only what was synced: unsynced names and contents are lost
  NamesOnly,   // unsynced names survive, unsynced contents are lost
  DataOnly,    // unsynced contents survive, unsynced names are lost
  Torn,        // unsynced names survive; of unsynced contents only a part
               // reaches the medium: half of what was appended, or none
};
constexpr Survivor kSurvivors[] = {Survivor::Everything, Survivor::Synced, Survivor::NamesOnly,
                                   Survivor::DataOnly};
const char* survivorName(Survivor s);
// Every way, a torn write included.
constexpr Survivor kSurvivorsAndTears[] = {Survivor::Everything, Survivor::Synced,
                                           Survivor::NamesOnly, Survivor::DataOnly,
                                           Survivor::Torn};

// What each kind of sync makes durable. A barrier (makeDurable) is one
// operation for each file it flushes, in list order or backwards by turns,
// and then one for each directory, so a cut may fall between any two of them.
enum class SyncModel {
  // POSIX: a file's sync makes its contents durable, a directory's sync its
  // entries; nothing else on the volume.
  FileByFile,
  // Windows on NTFS, as the Win32 back end works: no whole-volume flush and
  // no directory flush (syncDirectory makes nothing durable), but every
  // name change goes to the volume's log in order, and a file's sync
  // (FlushFileBuffers) forces that log: its contents and every name change
  // made before it, in any directory, become durable. A file's length is
  // logged with the names, so only contents rewritten in place can outlive
  // lost names.
  Ntfs,
};
constexpr SyncModel kSyncModels[] = {SyncModel::FileByFile, SyncModel::Ntfs};
// The models the sweeps run here: both on POSIX, where NTFS's stands for
// a system the POSIX back end meets; NTFS's alone on Windows, the
// only one the Win32 back end's barriers answer to (a sweep under another
// would credit it with syncs Windows does not have).
#ifdef _WIN32
inline constexpr SyncModel kSyncModelsHere[] = {SyncModel::Ntfs};
#else
inline constexpr auto& kSyncModelsHere = kSyncModels;
#endif
const char* syncModelName(SyncModel m);

class PowerCutPlatform : public ForwardingPlatform {
 public:
  // Models the tree below `root` (a host path), and each of `otherVolumes`
  // as a volume of its own; installed for its lifetime.
  explicit PowerCutPlatform(std::filesystem::path root,
                            std::vector<std::filesystem::path> otherVolumes = {});
  ~PowerCutPlatform() override;

  // The n-th (1-based) operation that changes the disk, and all after it,
  // do nothing and fail; 0 = none. Resets the count.
  void stopAt(long n) { stopAt_ = n; count_ = barriers_ = 0; }
  void model(SyncModel m) { model_ = m; }
  long count() const { return count_; }
  // Brings the tree back as the power cut leaves it, then takes that state
  // as durable for what follows.
  void cut(Survivor s);

  FileHandle* openFile(const char* p, OpenMode m) override;
  long writeFile(FileHandle* f, const void* b, size_t n) override;
  bool truncateFile(FileHandle* f, uint64_t s) override;
  bool syncFile(FileHandle* f) override;
  bool closeFile(FileHandle* f) override;
  bool createDirectory(const char* p) override;
  bool removeDirectory(const char* p) override;
  bool deleteFile(const char* p) override;
  bool moveFile(const char* a, const char* b) override;
  bool replaceFile(const char* a, const char* b) override;
  bool linkFile(const char* a, const char* b) override;
  bool syncDirectory(const char* p) override;
  bool makeDurable(const std::vector<std::string>& f, const std::vector<std::string>& d) override;
  bool fileIdentity(const char* p, FileIdentity& id) override;

 private:
  using Inode = uint64_t;
  struct Volume {
    std::filesystem::path root;
    std::map<std::string, Inode> names;  // durable: path relative to root -> inode
    std::set<std::string> dirs;          // relative directories
  };
  bool alive();  // counts one changing operation; false once stopped
  void fileFlushed(const std::string& p);
  void directoryFlushed(const char* p);
  void snapshotAll();
  void snapshotVolume(Volume& v);
  void snapshotDirectory(const std::filesystem::path& dir);
  void snapshotNames(Volume& v);
  // The declared volume holding a path of this layer; -1 for none.
  int volumeOf(const char* p);
  int volumeOfHost(const std::filesystem::path& host) const;
  std::map<std::string, Inode> currentNames(const Volume& v) const;
  std::filesystem::path hostPathOf(Inode ino) const;
  bool copyThenDelete(const char* a, const char* b);

  std::vector<Volume> volumes_;
  Platform* previous_;
  long stopAt_ = 0, count_ = 0;
  long barriers_ = 0;  // made since stopAt
  SyncModel model_ = SyncModel::FileByFile;
  std::map<FileHandle*, std::string> open_;  // platform path of each handle
  std::map<Inode, std::string> data_;        // durable contents
  std::map<Inode, std::filesystem::file_time_type> times_;  // last-write times, kept by a cut
};

}  // namespace torvex::testing
