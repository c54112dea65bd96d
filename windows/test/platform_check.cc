// Checks of the Win32 platform back end, run under Wine by the Windows test:
// each operation's answer and the Win32 error it leaves, printed one per line
// and compared with platform_check.expected. Run with TZ=UTC, in a fresh
// prefix (it works in C:/e2e/plat, C:/e2e/acl and under
// HKLM\Software\TorvexCheck).
#include <windows.h>

#include <sddl.h>

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

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
  show("findFirst missing directory", p.findFirst("C:/e2e/none/*", e) != nullptr);
}

void pathOperations() {
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
  showNumber("oemToWide count", p.oemToWide("abc", 3, nullptr, 0));
  char16_t wide[4] = {};
  showNumber("oemToWide", p.oemToWide("ab\x87", 3, wide, 4));
  std::printf("oemToWide units: %x %x %x\n", static_cast<unsigned>(wide[0]),
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

int main() {
  directories();
  files();
  search();
  pathOperations();
  drivesAndClock();
  codePages();
  registry();
  openness();
  return 0;
}
