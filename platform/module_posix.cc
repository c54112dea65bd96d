// Loaded modules on POSIX: the dynamic loader's answers.
#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include "platform/posix_backend.h"

namespace torvex {

namespace {

std::string realPath(const char* path) {
  char resolved[PATH_MAX];
  return realpath(path, resolved) != nullptr ? std::string(resolved) : std::string();
}

}  // namespace

const char* componentLibraryName() { return "libtorvex.so"; }

namespace posix {

std::string PosixPlatform::executablePath() { return realPath("/proc/self/exe"); }

std::string PosixPlatform::modulePath(const void* address) {
  Dl_info info{};
  if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) return {};
  // Libraries are named by the absolute paths they were loaded from (this
  // layer loads by absolute path); only the main program goes by its argv[0].
  return info.dli_fname[0] == '/' ? realPath(info.dli_fname) : executablePath();
}

ModuleHandle* PosixPlatform::loadModule(const char* path) {
  return static_cast<ModuleHandle*>(dlopen(path, RTLD_NOW | RTLD_LOCAL));
}

void* PosixPlatform::moduleSymbol(ModuleHandle* module, const char* name) {
  return module == nullptr ? nullptr : dlsym(module, name);
}

void PosixPlatform::unloadModule(ModuleHandle* module) {
  if (module != nullptr) dlclose(module);
}

}  // namespace posix
}  // namespace torvex
