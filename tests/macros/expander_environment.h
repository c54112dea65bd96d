// What every expander test stands on: a temporary drive C:, the clock fixed
// at 6 December 2026 15:04, a registry answer chosen by the test, and a count
// of the existence probes the expander makes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "tests/support/temp_tree.h"
#include "platform/scoped_platform.h"

namespace torvex::testing {

class ExpanderPlatform : public ScopedPlatform {
 public:

  LocalTime localNow() override { return agora; }
  bool registryRead(RegistryHive hive, const char* key, const char* value,
                    std::string& data) override {
    leiturasRegistro.push_back(std::string(key) + "|" + (value ? value : ""));
    if (registroReal) return ForwardingPlatform::registryRead(hive, key, value, data);
    if (hive != RegistryHive::LocalMachine || !registro) return false;
    data = *registro;
    return true;
  }
  long readFile(FileHandle* f, void* buf, size_t n) override {
    return falhaLeitura ? -1 : ForwardingPlatform::readFile(f, buf, n);
  }
  uint32_t fileAttributes(const char* path) override {
    sondagens.push_back(path);
    return ForwardingPlatform::fileAttributes(path);
  }

  LocalTime agora{2026, 12, 6, 15, 4, 30};
  std::optional<std::string> registro;  // absent: no such value
  bool registroReal = false;             // true: the back end's registry answers
  bool falhaLeitura = false;             // every file read fails
  std::vector<std::string> leiturasRegistro;
  std::vector<std::string> sondagens;

 private:
};

class ExpansorTest : public ::testing::Test {
 protected:
  // Expands into a 256-byte buffer followed by guard bytes, and fails the
  // test if the expander wrote past the 256 bytes or left no terminator.
  std::string expande(const char* fi, const char* raiz = "C:/Trays/",
                      const char* carimbo = nullptr);

  TempTree arvore;
  ExpanderPlatform plataforma;
};

}  // namespace torvex::testing
