// Calls torvex.dll's methods from a command line, early-bound, as a host
// would, in one process: the Windows test's driver for files held open by
// another program and for the cost of durability (scripts/windows-held.sh).
//
//   exchange DLLPATH [--count] [--pause SIGNALS] CALL...
//
// CALL is one of
//   cria ROOT                   criaInfraEstrutura
//   upload ROOT FI RENAME N     geraArquivoUpload ("-" for an empty RENAME)
//   list ROOT N                 recuperaArquivoUpload
//   control ROOT                recuperaControleDownload
//   pass ROOT                   disponibilizaArquivos
//   delete PATH                 deletaArquivo
//   exists PATH                 existeArquivo
// and prints "method: result", one line a call.
//
// --count: each call's line is followed by "cost: F flushes, T ms", F being
// the FlushFileBuffers calls that torvex.dll and Arjlib32.dll made during
// the call. They are counted in their import tables, so the DLLs are the
// ones shipped.
// --pause: the first time torvex.dll opens ContDown.dat for writing, the
// call makes SIGNALS\held and waits for SIGNALS\release before it goes on,
// so that another process can act while a pass holds the control file.
#include <initguid.h>  // the generated header's GUIDs are defined here

#include <windows.h>

#include <oleauto.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

#include "bstr_result.h"
#include "torvex_idl.h"

namespace {

using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
using FlushFn = BOOL(WINAPI*)(HANDLE);
using CreateFileFn = HANDLE(WINAPI*)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD,
                                     HANDLE);

FlushFn realFlush = nullptr;
CreateFileFn realCreateFile = nullptr;
long flushes = 0;
std::string pauseSignals;  // empty: no pause

bool exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

BOOL WINAPI countingFlush(HANDLE h) {
  ++flushes;
  return realFlush(h);
}

bool isControlFile(LPCWSTR path) {
  const size_t n = std::wcslen(path), m = std::wcslen(L"ContDown.dat");
  return n >= m && lstrcmpiW(path + n - m, L"ContDown.dat") == 0 &&
         (n == m || path[n - m - 1] == L'\\' || path[n - m - 1] == L'/');
}

HANDLE WINAPI pausingCreateFile(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                                DWORD disposition, DWORD flags, HANDLE model) {
  HANDLE h = realCreateFile(path, access, share, sa, disposition, flags, model);
  if (h != INVALID_HANDLE_VALUE && !pauseSignals.empty() && (access & GENERIC_WRITE) &&
      isControlFile(path)) {
    const std::string signals = pauseSignals;
    pauseSignals.clear();  // once
    HANDLE held = CreateFileA((signals + "\\held").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, 0, nullptr);
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    for (int waited = 0; !exists(signals + "\\release") && waited < 30000; ++waited) Sleep(10);
  }
  return h;
}

// The slot of MODULE's import table through which it calls DLL!FUNCTION,
// found by name; null when it imports no such function.
void** importSlot(HMODULE module, const char* dll, const char* function) {
  auto* base = reinterpret_cast<BYTE*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0) return nullptr;
  for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
       d->Name != 0; ++d) {
    if (lstrcmpiA(reinterpret_cast<const char*>(base + d->Name), dll) != 0) continue;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto* byName =
          reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0) {
        return reinterpret_cast<void**>(&slots->u1.Function);
      }
    }
  }
  return nullptr;
}

// Points MODULE's import of kernel32!FUNCTION at HOOK; the function it
// called before goes to *REAL. False when the module does not import it.
template <typename Fn>
bool hook(HMODULE module, const char* function, Fn hookFn, Fn* real) {
  void** slot = importSlot(module, "kernel32.dll", function);
  if (slot == nullptr) return false;
  DWORD was = 0;
  if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &was)) return false;
  *real = reinterpret_cast<Fn>(*slot);
  *slot = reinterpret_cast<void*>(hookFn);
  VirtualProtect(slot, sizeof *slot, was, &was);
  return true;
}

// An argument in the ANSI code page, as wide text; "-" for an empty one.
std::wstring wide(const char* ansi) {
  if (std::strcmp(ansi, "-") == 0) return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, ansi, -1, nullptr, 0);
  std::wstring text(n > 0 ? n : 1, L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, ansi, -1, text.data(), n);
  text.resize(n > 0 ? n - 1 : 0);
  return text;
}

// Runs the call at argv[i], advancing i past it; false for an unknown call.
bool call(IControlador* c, char** argv, int argc, int& i) {
  const std::string name = argv[i];
  auto arg = [&](int k) { return argv[i + k]; };
  auto has = [&](int count) { return i + count < argc; };
  if (name == "cria" && has(1)) {
    std::printf("criaInfraEstrutura: %ld\n",
                static_cast<long>(c->criaInfraEstrutura(Bstr(wide(arg(1)).c_str()))));
    i += 2;
  } else if (name == "upload" && has(4)) {
    std::printf("geraArquivoUpload: %ld\n",
                static_cast<long>(
                    c->geraArquivoUpload(Bstr(wide(arg(1)).c_str()), Bstr(wide(arg(2)).c_str()),
                                         Bstr(wide(arg(3)).c_str()), std::atol(arg(4)))));
    i += 5;
  } else if (name == "list" && has(2)) {
    showResult("recuperaArquivoUpload",
               c->recuperaArquivoUpload(Bstr(wide(arg(1)).c_str()), std::atol(arg(2))));
    i += 3;
  } else if (name == "control" && has(1)) {
    showResult("recuperaControleDownload", c->recuperaControleDownload(Bstr(wide(arg(1)).c_str())));
    i += 2;
  } else if (name == "pass" && has(1)) {
    std::printf("disponibilizaArquivos: %ld\n",
                static_cast<long>(c->disponibilizaArquivos(Bstr(wide(arg(1)).c_str()))));
    i += 2;
  } else if (name == "delete" && has(1)) {
    std::printf("deletaArquivo: %ld\n",
                static_cast<long>(c->deletaArquivo(Bstr(wide(arg(1)).c_str()))));
    i += 2;
  } else if (name == "exists" && has(1)) {
    std::printf("existeArquivo: %ld\n",
                static_cast<long>(c->existeArquivo(Bstr(wide(arg(1)).c_str()))));
    i += 2;
  } else {
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: exchange DLLPATH [--count] [--pause SIGNALS] CALL...\n");
    return 2;
  }
  const std::string dllPath = argv[1];
  HMODULE dll = LoadLibraryExA(dllPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  // The archive library torvex.dll will load from its own folder, loaded
  // first so that its imports can be counted too.
  const std::string arjlib = dllPath.substr(0, dllPath.find_last_of('\\') + 1) + "Arjlib32.dll";
  HMODULE library = LoadLibraryExA(arjlib.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  auto getClassObject = dll == nullptr ? nullptr
                                       : reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(
                                             GetProcAddress(dll, "DllGetClassObject")));
  IClassFactory* factory = nullptr;
  IControlador* object = nullptr;
  if (getClassObject == nullptr || library == nullptr ||
      FAILED(getClassObject(CLSID_Controlador, IID_IClassFactory,
                            reinterpret_cast<void**>(&factory))) ||
      FAILED(
          factory->CreateInstance(nullptr, IID_IControlador, reinterpret_cast<void**>(&object)))) {
    std::printf("cannot create the object from %s\n", dllPath.c_str());
    return 2;
  }
  factory->Release();

  int i = 2;
  bool count = false;
  for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
    if (std::strcmp(argv[i], "--count") == 0) {
      count = true;
      FlushFn same = nullptr;  // kernel32's, as for torvex.dll
      if (!hook(dll, "FlushFileBuffers", countingFlush, &realFlush)) {
        std::printf("torvex.dll imports no FlushFileBuffers\n");
        return 2;
      }
      // Arjlib32.dll may not flush at all; where it imports the call, it is
      // counted.
      hook(library, "FlushFileBuffers", countingFlush, &same);
    } else if (std::strcmp(argv[i], "--pause") == 0 && i + 1 < argc) {
      pauseSignals = argv[++i];
      if (!hook(dll, "CreateFileW", pausingCreateFile, &realCreateFile)) {
        std::printf("torvex.dll imports no CreateFileW\n");
        return 2;
      }
    } else {
      std::fprintf(stderr, "exchange: unknown option %s\n", argv[i]);
      return 2;
    }
  }
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  int status = 0;
  while (i < argc) {
    const long before = flushes;
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    if (!call(object, argv, argc, i)) {
      std::fprintf(stderr, "exchange: cannot read the call at %s\n", argv[i]);
      status = 2;
      break;
    }
    QueryPerformanceCounter(&t1);
    if (count) {
      std::printf("cost: %ld flushes, %lld ms\n", flushes - before,
                  (t1.QuadPart - t0.QuadPart) * 1000 / frequency.QuadPart);
    }
    std::fflush(stdout);
  }
  object->Release();
  return status;
}
