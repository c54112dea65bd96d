// ExecArj as torvex.dll reaches it: Arjlib32.dll is loaded on first use by its
// full path, from the folder of the module that holds this code, and its
// entry found by name. The system's search path (the host's current
// directory among it) is never asked, so no copy planted elsewhere is
// loaded; a site's own Arjlib32.dll beside torvex.dll still is. A missing
// library or entry fails the call as a failed archive operation does, and
// the next call tries again.
#include <atomic>
#include <string>

#include "arj/exec_arj.h"
#include "platform/platform.h"

namespace {

using ExecArjEntry = int(TORVEX_ARJ_CALL*)(const char*, int);

constexpr const char* kLibraryName = "Arjlib32.dll";
constexpr int kFatalLevel = 2;  // the archive library's level for a fatal error

ExecArjEntry loadEntry() {
  torvex::Platform& p = torvex::platform();
  const std::string self = p.modulePath(reinterpret_cast<const void*>(&loadEntry));
  const size_t folderEnd = self.find_last_of("\\/");
  if (folderEnd == std::string::npos) return nullptr;
  const std::string path = self.substr(0, folderEnd + 1) + kLibraryName;
  torvex::ModuleHandle* library = p.loadModule(path.c_str());
  if (library == nullptr) return nullptr;
  auto entry = reinterpret_cast<ExecArjEntry>(p.moduleSymbol(library, "ExecArj"));
  // Loaded once for the process's life; a library without the entry goes.
  if (entry == nullptr) p.unloadModule(library);
  return entry;
}

}  // namespace

extern "C" int TORVEX_ARJ_CALL ExecArj(const char* commandLine, int reserved) {
  static std::atomic<ExecArjEntry> entry{nullptr};
  ExecArjEntry call = entry.load();
  if (call == nullptr) {
    call = loadEntry();
    if (call == nullptr) return kFatalLevel;
    // Two threads loading at once both hold the same library: the loader
    // counts the second load, and either entry is the same one.
    entry.store(call);
  }
  return call(commandLine, reserved);
}
