// Checks of the Win32 platform back end, run under Wine by the Windows test:
// each operation's answer and the Win32 error it leaves, printed one per line
// and compared with platform_check.expected. Run with TZ=UTC, in a fresh
// prefix (it works in C:/e2e/plat, C:/e2e/acl and under
// HKLM\Software\TorvexCheck). Its argument is a folder on another volume,
// where replaceFile must copy.
#include <windows.h>

#include <sddl.h>

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/platform.h"

namespace {

using namespace torvex;

Platform& p = platform();
const std::string kDir = "C:/e2e/plat";

void show(const char* what, bool ok) {
  if (ok) {
    std::printf("%s: yes\n", what);
  } else {
    std::printf("%s: no, error %u\n", what, static_cast<unsigned>(p.lastError()));
  }
}
void showNumber(const char* what, long long n) { std::printf("%s: %lld\n", what, n); }
void showTime(const char* what, const LocalTime& t) {
  std::printf("%s: %04d-%02d-%02d %02d:%02d:%02d\n", what, t.year, t.month, t.day, t.hour,
              t.minute, t.second);
}
std::string path(const char* name) { return kDir + "/" + name; }

std::string contents(const char* name) {
  File f(path(name).c_str(), OpenMode::Read);
  if (!f) return "(cannot open)";
  char buf[64];
  const long n = f.read(buf, sizeof buf);
  return n < 0 ? "(read error)" : std::string(buf, static_cast<size_t>(n));
}

void writeFile(const char* name, const char* text, OpenMode mode) {
  File f(path(name).c_str(), mode);
  show("open for writing", static_cast<bool>(f));
  if (f) show("write", f.writeAll(text, std::char_traits<char>::length(text)));
}

void directories() {
  show("createDirectory", p.createDirectory(kDir.c_str()));
  show("createDirectory existing", p.createDirectory(kDir.c_str()));
  show("createDirectory missing parent", p.createDirectory("C:/e2e/none/x"));
  showNumber("attributes directory bit", p.fileAttributes(kDir.c_str()) & kAttrDirectory);
  show("attributes of a missing name", p.fileAttributes(path("none").c_str()) != kInvalidAttributes);
  show("syncDirectory", p.syncDirectory(kDir.c_str()));
}

void files() {
  writeFile("a.txt", "hello", OpenMode::Write);
  show("CreateNew over an existing file", File(path("a.txt").c_str(), OpenMode::CreateNew) ? true : false);
  {
    File f(path("a.txt").c_str(), OpenMode::Append);
    show("seek before appending", f.seek(0));
    show("append", f.writeAll(" world", 6));
  }
  std::printf("after append: %s\n", contents("a.txt").c_str());
  {
    File f(path("a.txt").c_str(), OpenMode::ReadWrite);
    show("seek", f.seek(6));
    show("overwrite", f.writeAll("W", 1));
    show("truncate", f.truncate(7));
    showNumber("size after truncate", f.size());
    show("write after truncate", f.writeAll("x", 1));  // at the kept position, 7
    show("sync", f.sync());
    show("close", f.close());
  }
  std::printf("after truncate: %s\n", contents("a.txt").c_str());
  {
    File f(path("a.txt").c_str(), OpenMode::Read);
    char buf[16];
    showNumber("read all", f.read(buf, sizeof buf));
    showNumber("read at end", f.read(buf, sizeof buf));
  }
  show("open a missing file", File(path("none.txt").c_str(), OpenMode::Read) ? true : false);
  show("syncDirectory on a file", p.syncDirectory(path("a.txt").c_str()));
}

void search() {
  DirEntry e;
  SearchHandle* s = p.findFirst(path("*.TXT").c_str(), e);
  show("findFirst *.TXT", s != nullptr);
  if (s) {
    std::printf("found: %s, size %llu, directory bit %u\n", e.name.c_str(),
                static_cast<unsigned long long>(e.size), e.attributes & kAttrDirectory);
    const long long age = static_cast<long long>(std::time(nullptr)) - e.lastWriteTime;
    show("last-write time is now", age >= -5 && age <= 600);
    show("findNext at the end", p.findNext(s, e));
    p.findClose(s);
  }
  show("findFirst no match", p.findFirst(path("*.zzz").c_str(), e) != nullptr);
  show("findFirst NUL, a device", p.findFirst(path("NUL").c_str(), e) != nullptr);
  show("findFirst con.txt, a device", p.findFirst(path("con.txt").c_str(), e) != nullptr);
  show("findFirst missing directory", p.findFirst("C:/e2e/none/*", e) != nullptr);
}

void listMatches(const char* pattern) {
  DirEntry e;
  std::string names;
  SearchHandle* s = p.findFirst(path(pattern).c_str(), e);
  for (bool more = s != nullptr; more; more = p.findNext(s, e)) names += " " + e.name;
  if (s) p.findClose(s);
  std::printf("findFirst %s:%s\n", pattern, s ? names.c_str() : " none");
}

// A name outside the ANSI code page is never reported as a best-fit
// look-alike ("Omega.txt" for "\u03A9mega.txt"): it is left out, and listed
// as a name the layer cannot handle.
void names() {
  const wchar_t* omega = L"C:\\e2e\\plat\\\u03A9mega.txt";
  HANDLE h = CreateFileW(omega, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  show("create \u03A9mega.txt", h != INVALID_HANDLE_VALUE);
  CloseHandle(h);
  listMatches("?mega.txt");
  writeFile("Omega.txt", "O", OpenMode::Write);
  listMatches("*mega.txt");
  for (const std::string& name : p.unnamableEntries(kDir.c_str())) {
    std::printf("unnamable: %s\n", name.c_str());
  }
  show("delete Omega.txt", p.deleteFile(path("Omega.txt").c_str()));

  // The layer matches wildcards itself, against long names: a "?" before
  // the dot matches nothing there too (Wine's own search disagrees, W1), and
  // no 8.3 alias is matched (W2: "*.txt" would take "b.txtx").
  writeFile("D1234.ARJ", "4", OpenMode::Write);
  writeFile("D12345.ARJ", "5", OpenMode::Write);
  writeFile("b.txtx", "b", OpenMode::Write);  // beside a.txt
  listMatches("D?????.ARJ");
  listMatches("*.txt");
  listMatches("?.txt");
  for (const char* name : {"D1234.ARJ", "D12345.ARJ", "b.txtx"}) {
    show((std::string("delete ") + name).c_str(), p.deleteFile(path(name).c_str()));
  }
  show("delete \u03A9mega.txt", DeleteFileW(omega) != FALSE);

  char out[32];
  show("wideToAnsi \u03A9mega", p.wideToAnsi(u"\u03A9mega", out, sizeof out) > 0);
  show("wideToAnsi lone surrogate", p.wideToAnsi(u"a\xD800", out, sizeof out) > 0);
  const int n = p.wideToAnsi(u"relat\u00F3rio", out, sizeof out);
  std::printf("wideToAnsi relat\u00F3rio: %d bytes, the sixth %x\n", n,
              static_cast<unsigned>(static_cast<unsigned char>(out[5])));
  char16_t wide[16] = {};
  showNumber("ansiToWide relat\\xF3rio", p.ansiToWide("relat\xF3rio", 9, wide, 16));
  std::printf("ansiToWide sixth unit: %x\n", static_cast<unsigned>(wide[5]));
}

// Refused, as the POSIX back end refuses them, never dereferenced.
void nullHandles() {
  char buf[4];
  DirEntry e;
  show("readFile null handle", p.readFile(nullptr, buf, sizeof buf) >= 0);
  show("writeFile null handle", p.writeFile(nullptr, buf, sizeof buf) >= 0);
  show("syncFile null handle", p.syncFile(nullptr));
  show("closeFile null handle", p.closeFile(nullptr));
  show("findNext null handle", p.findNext(nullptr, e));
}

// A second name, as a pass keeps one of the control file: made while a
// handle reads the file, deleted no more than the first name while that
// handle is open, and what the file holds still read through it once the
// first name is gone.
void secondNames(const std::string& otherVolume) {
  writeFile("ctl.txt", "records", OpenMode::Write);
  const std::string second = path("second.lnk");
  {
    File held(path("ctl.txt").c_str(), OpenMode::Read);
    show("linkFile while the file is open", p.linkFile(path("ctl.txt").c_str(), second.c_str()));
    show("deleteFile of the second name while it is open", p.deleteFile(second.c_str()));
  }
  FileIdentity a, b;
  show("one identity", p.fileIdentity(path("ctl.txt").c_str(), a) &&
                           p.fileIdentity(second.c_str(), b) && a == b);
  show("linkFile onto an existing name", p.linkFile(path("ctl.txt").c_str(), second.c_str()));
  show("linkFile onto another volume",
       p.linkFile(path("ctl.txt").c_str(), (otherVolume + "/second.lnk").c_str()));
  show("deleteFile of the first name", p.deleteFile(path("ctl.txt").c_str()));
  std::printf("read through the second name: %s\n", contents("second.lnk").c_str());
  show("deleteFile of the second name", p.deleteFile(second.c_str()));
}

// A leftover deep in a tray tree may lie past MAX_PATH: every file call
// reaches it, with forward slashes, "." and ".." as in a shorter path.
void longPaths() {
  std::vector<std::string> folders;
  std::string deep = kDir;
  while (deep.size() < 300) folders.push_back(deep += "/" + std::string(60, 'd'));
  bool made = true;
  for (const std::string& folder : folders) made = made && p.createDirectory(folder.c_str());
  show("createDirectory past MAX_PATH", made);
  const std::string file = deep + "/leftover.txt", other = deep + "/./../" +
                                                           folders.back().substr(deep.rfind('/') + 1) +
                                                           "/moved.txt";
  std::printf("a path of %zu characters\n", file.size());
  {
    File f(file.c_str(), OpenMode::Write);
    show("write past MAX_PATH", f && f.writeAll("deep", 4) && f.sync() && f.close());
  }
  show("attributes past MAX_PATH", p.fileAttributes(file.c_str()) != kInvalidAttributes);
  DirEntry e;
  SearchHandle* s = p.findFirst((deep + "/*.txt").c_str(), e);
  std::printf("findFirst past MAX_PATH: %s\n", s ? e.name.c_str() : "none");
  if (s) p.findClose(s);
  FileIdentity id;
  show("fileIdentity past MAX_PATH", p.fileIdentity(file.c_str(), id));
  show("makeDurable past MAX_PATH", p.makeDurable({file}, {deep}));
  show("moveFile past MAX_PATH", p.moveFile(file.c_str(), other.c_str()));
  show("linkFile past MAX_PATH", p.linkFile(other.c_str(), file.c_str()));
  show("deleteFile of that second name", p.deleteFile(file.c_str()));
  {
    File f(file.c_str(), OpenMode::CreateNew);
    show("a new file past MAX_PATH", f && f.writeAll("new", 3) && f.close());
  }
  show("replaceFile past MAX_PATH", p.replaceFile(file.c_str(), other.c_str()));
  {
    File f(other.c_str(), OpenMode::Read);
    char buf[8];
    const long got = f ? f.read(buf, sizeof buf) : -1;
    std::printf("read past MAX_PATH: %s\n",
                got > 0 ? std::string(buf, static_cast<size_t>(got)).c_str() : "(nothing)");
  }
  show("deleteFile past MAX_PATH", p.deleteFile(other.c_str()));
  bool removed = true;
  for (auto f = folders.rbegin(); f != folders.rend(); ++f) {
    removed = removed && p.removeDirectory(f->c_str());
  }
  show("removeDirectory past MAX_PATH", removed);
}

void pathOperations(const std::string& otherVolume) {
  writeFile("c.txt", "across", OpenMode::Write);
  const std::string there = otherVolume + "/c.txt";
  {
    File old(there.c_str(), OpenMode::Write);
    show("an older c.txt on the other volume", old && old.writeAll("old", 3));
  }
  show("replaceFile onto another volume", p.replaceFile(path("c.txt").c_str(), there.c_str()));
  File moved(there.c_str(), OpenMode::Read);
  char buf[16];
  const long got = moved ? moved.read(buf, sizeof buf) : -1;
  std::printf("on the other volume: %s\n",
              got > 0 ? std::string(buf, static_cast<size_t>(got)).c_str() : "(nothing)");
  moved.close();
  show("c.txt gone", p.fileAttributes(path("c.txt").c_str()) == kInvalidAttributes);
  show("delete the copy", p.deleteFile(there.c_str()));

  show("moveFile", p.moveFile(path("a.txt").c_str(), path("b.txt").c_str()));
  writeFile("a.txt", "new", OpenMode::Write);
  show("moveFile onto an existing file", p.moveFile(path("a.txt").c_str(), path("b.txt").c_str()));
  show("replaceFile", p.replaceFile(path("a.txt").c_str(), path("b.txt").c_str()));
  std::printf("replaced: %s\n", contents("b.txt").c_str());
  show("a.txt gone", p.fileAttributes(path("a.txt").c_str()) == kInvalidAttributes);
  show("removeDirectory not empty", p.removeDirectory(kDir.c_str()));
  show("deleteFile directory", p.deleteFile(kDir.c_str()));
  show("deleteFile", p.deleteFile(path("b.txt").c_str()));
  show("deleteFile again", p.deleteFile(path("b.txt").c_str()));
  show("removeDirectory", p.removeDirectory(kDir.c_str()));
}

void drivesAndClock() {
  show("setCurrentDrive 0", p.setCurrentDrive(0));
  show("setCurrentDrive 27", p.setCurrentDrive(27));
  show("setCurrentDrive C", p.setCurrentDrive(3));
  showNumber("currentDrive", p.currentDrive());
  showTime("toLocalTime 1971", p.toLocalTime(365LL * 86400));
  showTime("toLocalTime before 1970", p.toLocalTime(-1));
  showTime("fileTimeToLocal", p.fileTimeToLocal(1700000000));
  showTime("fileTimeToLocal out of range", p.fileTimeToLocal(INT64_MAX));
  show("localNow has a year", p.localNow().year >= 2000);
  uint32_t id = 0, major = 0;
  show("osVersion", p.osVersion(id, major));
  showNumber("platform id", id);
}

void codePages() {
  char out[8];
  showNumber("wideToAnsi capacity 0", p.wideToAnsi(u"abc", out, 0));
  showNumber("wideToAnsi too small", p.wideToAnsi(u"abc", out, 3));
  const int n = p.wideToAnsi(u"abc", out, 4);
  std::printf("wideToAnsi: %d %s\n", n, n > 0 ? out : "");
  showNumber("ansiToWide count", p.ansiToWide("abc", 3, nullptr, 0));
  char16_t wide[4] = {};
  showNumber("ansiToWide", p.ansiToWide("ab\xE7", 3, wide, 4));
  std::printf("ansiToWide units: %x %x %x\n", static_cast<unsigned>(wide[0]),
              static_cast<unsigned>(wide[1]), static_cast<unsigned>(wide[2]));
}

void registry() {
  const RegistryHive hklm = RegistryHive::LocalMachine;
  const char* key = "Software\\TorvexCheck";
  std::string data;
  show("registrySetValue", p.registrySetValue(hklm, key, "dir", "C:\\Telvorin"));
  show("registryRead", p.registryRead(hklm, key, "dir", data));
  std::printf("read: %s\n", data.c_str());
  show("registrySetValue default", p.registrySetValue(hklm, key, nullptr, "padrao"));
  show("registryRead default", p.registryRead(hklm, key, nullptr, data));
  std::printf("read default: %s\n", data.c_str());
  show("registrySetValue 300 bytes", p.registrySetValue(hklm, key, "long", std::string(300, 'x')));
  show("registryRead 300 bytes", p.registryRead(hklm, key, "long", data));
  show("registryDeleteValue", p.registryDeleteValue(hklm, key, "dir"));
  show("registryRead deleted", p.registryRead(hklm, key, "dir", data));
  show("registryDeleteValue again", p.registryDeleteValue(hklm, key, "dir"));
  show("registryCreateKey", p.registryCreateKey(hklm, "Software\\TorvexCheck\\Sub"));
  show("registryKeyExists", p.registryKeyExists(hklm, key));
  show("registryDeleteTree", p.registryDeleteTree(hklm, key));
  show("registryKeyExists after delete", p.registryKeyExists(hklm, key));
  show("registryDeleteTree again", p.registryDeleteTree(hklm, key));
}

// Who may write to a directory given a DACL of its own (SDDL). Wine keeps no
// DACL: it answers with one made from the Unix mode, where only Everyone's
// write access shows, so the entries for Users and Authenticated Users, deny
// entries and inheritance are not checked here.
void openness() {
  struct Case {
    const char* name;
    const char* sddl;
  };
  const Case cases[] = {
      {"admins and system only", "D:P(A;;FA;;;BA)(A;;FA;;;SY)"},
      {"everyone adds files", "D:P(A;;FA;;;BA)(A;;0x2;;;WD)"},
      {"everyone reads", "D:P(A;;FA;;;BA)(A;;FR;;;WD)"},
  };
  const char* answers[] = {"no", "yes", "unknown"};
  const std::string parent = "C:/e2e/acl";
  CreateDirectoryA(parent.c_str(), nullptr);
  int n = 0;
  for (const Case& c : cases) {
    const std::string dir = parent + "/" + std::to_string(++n);
    PSECURITY_DESCRIPTOR sd = nullptr;
    const bool made =
        ConvertStringSecurityDescriptorToSecurityDescriptorA(c.sddl, SDDL_REVISION_1, &sd,
                                                             nullptr) &&
        CreateDirectoryA(dir.c_str(), nullptr) &&
        SetFileSecurityA(dir.c_str(), DACL_SECURITY_INFORMATION, sd);
    LocalFree(sd);
    std::printf("writableByEveryone %s: %s\n", c.name,
                made ? answers[static_cast<int>(p.writableByEveryone(dir.c_str()))]
                     : "(cannot make)");
  }
  const OpenToAll missing = p.writableByEveryone((parent + "/none").c_str());
  std::printf("writableByEveryone missing: %s, error %u\n", answers[static_cast<int>(missing)],
              static_cast<unsigned>(p.lastError()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: platform_check FOLDER-ON-ANOTHER-VOLUME\n");
    return 2;
  }
  directories();
  files();
  search();
  names();
  nullHandles();
  secondNames(argv[1]);
  longPaths();
  pathOperations(argv[1]);
  drivesAndClock();
  codePages();
  registry();
  openness();
  return 0;
}
