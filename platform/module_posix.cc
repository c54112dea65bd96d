#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include "platform/module.h"
#include "com/ole_text_posix.h"

namespace torvex {

namespace {

std::string realPath(const char* path) {
  char resolved[PATH_MAX];
  return realpath(path, resolved) != nullptr ? std::string(resolved) : std::string();
}

}  // namespace

std::string executablePath() { return realPath("/proc/self/exe"); }

std::string modulePath(const void* address) {
  Dl_info info{};
  if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) return {};
  // Libraries are named by the absolute paths they were loaded from (this
  // layer loads by absolute path); only the main program goes by its argv[0].
  return info.dli_fname[0] == '/' ? realPath(info.dli_fname) : executablePath();
}

const char* componentLibraryName() { return "libtorvex.so"; }

std::basic_string<OLECHAR> modulePathOle(const std::string& path) { return pathToOle(path); }

ModuleHandle* loadModule(const char* path) {
  return static_cast<ModuleHandle*>(dlopen(path, RTLD_NOW | RTLD_LOCAL));
}

void* moduleSymbol(ModuleHandle* module, const char* name) {
  return module == nullptr ? nullptr : dlsym(module, name);
}

void unloadModule(ModuleHandle* module) {
  if (module != nullptr) dlclose(module);
}

}  // namespace torvex
