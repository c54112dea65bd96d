// `torvex register` and `torvex unregister`: load the server library and call
// its registration entry, as a registration tool does; the HRESULT is printed
// in hex. The library is the one beside this executable (a build tree, or
// Windows), else the one installed with it.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/subcommands.h"
#include "cli/usage.h"
#include "com/com.h"
#include "platform/platform.h"

namespace torvex::cli {

namespace {

using RegistrationEntry = HRESULT (*)();

// Beside the executable, then where the install rules put it.
std::vector<std::string> libraryPlaces() {
  std::string exe = platform().executablePath();
  size_t end = exe.find_last_of("/\\");
  const std::string folder = end == std::string::npos ? std::string() : exe.substr(0, end + 1);
  return {folder + componentLibraryName(),
          folder + TORVEX_INSTALLED_LIBRARY_DIR "/" + componentLibraryName()};
}

int callEntry(std::span<char* const> args, const char* entry) {
  if (!args.empty()) return usageError(std::string(entry) + " takes no arguments");
  std::string path;
  ModuleHandle* library = nullptr;
  for (const std::string& place : libraryPlaces()) {
    library = platform().loadModule(place.c_str());
    path += (path.empty() ? "" : " or ") + place;
    if (library != nullptr) {
      path = place;
      break;
    }
  }
  if (library == nullptr) {
    std::fprintf(stderr, "torvex: cannot load %s\n", path.c_str());
    return kExitFailure;
  }
  auto call = reinterpret_cast<RegistrationEntry>(platform().moduleSymbol(library, entry));
  if (call == nullptr) {
    std::fprintf(stderr, "torvex: %s has no entry %s\n", path.c_str(), entry);
    platform().unloadModule(library);
    return kExitFailure;
  }
  HRESULT hr = call();
  platform().unloadModule(library);
  std::printf("0x%08X\n", static_cast<unsigned>(hr));
  return SUCCEEDED(hr) ? kExitOk : kExitFailure;
}

}  // namespace

int runRegister(std::span<char* const> args) {
  return callEntry(args, "DllRegisterServer");
}

int runUnregister(std::span<char* const> args) {
  return callEntry(args, "DllUnregisterServer");
}

}  // namespace torvex::cli
