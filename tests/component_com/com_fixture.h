// What the COM tests share: a registry of their own (on POSIX a file, on
// Windows the keys of the server and its allow list, removed before and after
// each test), a module that starts each test freshly loaded and must end it
// with nothing held, and small owners for interface pointers and BSTRs.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "component/server_exports.h"
#include "component/server_module.h"
#include "com/com.h"
#include "tests/support/temp_tree.h"

namespace torvex::testing {

using OleText = std::basic_string<OLECHAR>;

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  void** out() { reset(); return reinterpret_cast<void**>(&p_); }
  T** put() { reset(); return &p_; }
  void reset() {
    if (p_ != nullptr) p_->Release();
    p_ = nullptr;
  }

 private:
  T* p_ = nullptr;
};

class OwnedBstr {
 public:
  explicit OwnedBstr(const OLECHAR* text) : s_(SysAllocString(text)) {}
  ~OwnedBstr() { SysFreeString(s_); }
  OwnedBstr(const OwnedBstr&) = delete;
  OwnedBstr& operator=(const OwnedBstr&) = delete;
  BSTR get() const { return s_; }

 private:
  BSTR s_;
};

OleText wide(const std::string& ascii);
std::string narrow(BSTR s);  // ASCII results only

class ComTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A default value (null) or named value under HKEY_CLASSES_ROOT; "" when absent.
  std::string classesValue(const std::string& key, const char* value = nullptr);
  bool classesKeyExists(const std::string& key);
  std::string registryText() const { return tree_.read("registry.reg"); }  // POSIX only
  // This test program's path: the module that the linked-in server registers.
  static std::string thisModule();

  TempTree tree_;

 private:
  bool ownsRegistry_ = false;  // SetUp took the registry over: TearDown gives it back
};

// The type library's key for this program's kind: "win64" or "win32".
inline const char* typeLibPlatform() { return sizeof(void*) == 8 ? "win64" : "win32"; }

// A string key in the form the registry keeps: "CLSID\{...}".
std::string classKey();

}  // namespace torvex::testing
