// `torvex register` and `torvex unregister`: load the server library from
// beside this executable and call its registration entry, as a registration
// tool does; the HRESULT is printed in hex.
#include <cstdio>
#include <string>

#include "cli/subcommands.h"
#include "cli/usage.h"
#include "com/com.h"
#include "platform/platform.h"

namespace torvex::cli {

namespace {

using RegistrationEntry = HRESULT (*)();

std::string libraryBeside() {
  std::string exe = platform().executablePath();
  size_t end = exe.find_last_of("/\\");
  return (end == std::string::npos ? std::string() : exe.substr(0, end + 1)) +
         componentLibraryName();
}

int callEntry(std::span<char* const> args, const char* entry) {
  if (!args.empty()) return usageError(std::string(entry) + " takes no arguments");
  std::string path = libraryBeside();
  ModuleHandle* library = platform().loadModule(path.c_str());
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
