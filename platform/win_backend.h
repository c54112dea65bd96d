// The parts of the Win32 back end that live beside platform_win.cc, each in
// its own *_win.cc file by topic. Internal to platform/.
#pragma once

#include <string>

#include "platform/platform.h"

namespace torvex::win {

std::string modulePath(const void* address);
std::string executablePath();
ModuleHandle* loadModule(const char* path);
void* moduleSymbol(ModuleHandle* module, const char* name);
void unloadModule(ModuleHandle* module);

LockHandle* createLock();
void lock(LockHandle* l);
void unlock(LockHandle* l);
void destroyLock(LockHandle* l);

// The directory's DACL read for the three groups that hold every local user;
// the failure's code in *error when it cannot be read.
OpenToAll writableByEveryone(const char* path, uint32_t* error);

bool createScratchDirectory(ScratchDirectory& out);
bool removeScratchDirectory(const ScratchDirectory& dir);

}  // namespace torvex::win
