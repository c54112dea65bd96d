// What a suite built for Windows cannot arrange, and the reason the tests
// that need it give when they are skipped there.
#pragma once

namespace torvex::testing {

#ifdef _WIN32
inline constexpr bool kCaseBlindVolume = true;
inline constexpr bool kLibraryInADll = true;
inline constexpr bool kNoSymbolicLinks = true;
inline constexpr bool kNoBindMounts = true;
inline constexpr bool kWin32NameRules = true;
inline constexpr bool kWin32Surroundings = true;
// The drive of a tree that a started program works on: under Wine a program
// loads its system DLLs from C:, which a tree mapped there would hide.
inline constexpr char kChildTreeDrive = 'D';
inline constexpr bool kPeersSpellNamesApart = true;
#else
inline constexpr bool kCaseBlindVolume = false;
inline constexpr bool kLibraryInADll = false;
inline constexpr bool kNoSymbolicLinks = false;
inline constexpr bool kNoBindMounts = false;
inline constexpr bool kWin32NameRules = false;
inline constexpr bool kWin32Surroundings = false;
inline constexpr char kChildTreeDrive = 'C';
inline constexpr bool kPeersSpellNamesApart = false;
#endif

inline constexpr const char* kNoCaseTwins =
    "two names that differ only in case cannot both exist on a Windows volume (under Wine both "
    "do, in the Unix folder, and which one a Win32 call reaches is Wine's choice)";
inline constexpr const char* kLibraryOutOfReach =
    "on Windows the archive library is Arjlib32.dll, with a platform of its own: the test's "
    "wrapper never sees the library's file calls";
inline constexpr const char* kLinksNotMade =
    "the Windows build makes no symbolic links: mingw-w64's std::filesystem::create_symlink is "
    "not implemented, and Wine's CreateSymbolicLinkW reports success and makes none";
inline constexpr const char* kBindMountsNotMade =
    "a read-only bind mount is made with the Unix mount command, which a Windows program cannot "
    "run";
inline constexpr const char* kOddNamesNotMade =
    "the tree is arranged through Win32's file calls, which drop a trailing dot or blank, refuse "
    "'?' and open a device for CON: such names cannot be made there";
inline constexpr const char* kNoChildOnTreeC =
    "the test starts torvex.exe on the tree mapped as drive C:; a program started under Wine "
    "loads its system DLLs from C:\\windows and stops there (could not load kernel32.dll), "
    "and on Windows the test tree maps no drive";
inline constexpr const char* kNoUnixPeers =
    "the peers arj and 7zz are Linux programs, which a Windows program can start only under "
    "Wine";
inline constexpr const char* kAccentsSpelledApart =
    "a name's bytes pass unchanged between the archive and the Linux peers' UTF-8 file names, "
    "while the Windows side spells the same name in Windows-1252: an accented name reaches the "
    "tree in two spellings";

inline constexpr const char* kAnsiIsUtf8 =
    "the test's texts are UTF-8, the POSIX back end's ANSI code page; Windows' is Windows-1252, "
    "in which windows/test/platform_check.cc converts";
inline constexpr const char* kSearchReadsAhead =
    "Windows' search hands out entries from what it has read ahead: one removed or rewritten "
    "after the search began may still be reported as it was";
inline constexpr const char* kNetworkPathsServed =
    "the Win32 back end hands a network path to Windows, which serves it";
inline constexpr const char* kOtherVolumeByPosixPath =
    "the other file system is named by a POSIX path; windows/test/platform_check.cc moves, "
    "replaces and links onto another drive";
inline constexpr const char* kPosixLookupCache =
    "the lookup cache is the POSIX back end's, and its cases make names that differ only in "
    "case";
inline constexpr const char* kReadOnlyWrittenAsRoot =
    "Wine run as root writes and replaces a read-only file (W7 in docs/wine-departures.md)";
inline constexpr const char* kNoStandInVariables =
    "the Win32 back end asks Windows for its drives, registry, version and clock and reads none "
    "of the variables that stand in for them on POSIX (TORVEX_DRIVES, TORVEX_REGISTRY, "
    "TORVEX_WINVER, TORVEX_NOW)";

}  // namespace torvex::testing
