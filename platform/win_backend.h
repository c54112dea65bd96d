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

// Exact conversions (codepage_win.cc): the calling conventions of
// WideCharToMultiByte and MultiByteToWideChar, but a character without an
// exact form fails (ERROR_NO_UNICODE_TRANSLATION) instead of becoming a
// best-fit look-alike, a default character or a replacement character.
int wideToAnsi(const wchar_t* wide, int n, char* out, int capacity);
int ansiToWide(const char* text, int n, wchar_t* out, int capacity);
// A path of this layer for the wide-string calls; false when it cannot convert.
bool widePath(const char* path, std::wstring& wide);
// widePath for the file calls, which take a path of MAX_PATH characters or
// more only spelled whole after "\\?\": such a path is made full and
// normalised first, as Win32 does with a shorter one, so that a leftover
// deep in a tray tree can be opened, moved and deleted as on other systems.
bool fileCallPath(const char* path, std::wstring& wide);
// A name found on disk in the ANSI code page; false when it has no exact form.
bool exactAnsiName(const wchar_t* name, std::string& out);
// UTF-8 for an operator to read, whatever the code pages.
std::string utf8Text(const wchar_t* wide);

bool createScratchDirectory(ScratchDirectory& out);
bool removeScratchDirectory(const ScratchDirectory& dir);

}  // namespace torvex::win
