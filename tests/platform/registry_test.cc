#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/platform.h"
#include "platform/platform_posix.h"
#include "platform/registry_file.h"
#include "tests/support/temp_tree.h"

namespace torvex {
namespace {

class Registry : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = tree_.path("conf/sub/registry.reg");
    const char* old = std::getenv("TORVEX_REGISTRY");
    hadOld_ = old != nullptr;
    if (old) old_ = old;
    ::setenv("TORVEX_REGISTRY", file_.c_str(), 1);
    reloadEnvironment();
  }
  void TearDown() override {
    if (hadOld_) {
      ::setenv("TORVEX_REGISTRY", old_.c_str(), 1);
    } else {
      ::unsetenv("TORVEX_REGISTRY");
    }
    reloadEnvironment();
  }
  void writeFile(const std::string& text) {
    std::filesystem::create_directories(file_.parent_path());
    std::ofstream(file_, std::ios::binary) << text;
  }
  testing::TempTree tree_;
  std::filesystem::path file_;
  std::string old_;
  bool hadOld_ = false;
};

TEST_F(Registry, ReadsStringValuesFromAHandWrittenFile) {
  writeFile(
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "; a comment\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Norvalis\\Telvorin]\r\n"
      "\"Telvorin\"=\"C:\\\\Dados\\\\Troca\"\r\n"
      "\"Quoted\"=\"say \\\"hi\\\"\"\r\n"
      "@=\"default\"\r\n"
      "\"Number\"=dword:00000010\r\n"
      "\"Long\"=hex:01,02,\\\r\n  03\r\n"
      "[-HKEY_LOCAL_MACHINE\\Software\\Gone]\r\n");
  std::string v;
  ASSERT_TRUE(platform().registryRead(RegistryHive::LocalMachine, "software\\NORVALIS\\telvorin",
                                      "TELVORIN", v));
  EXPECT_EQ(v, "C:\\Dados\\Troca");
  ASSERT_TRUE(platform().registryRead(RegistryHive::LocalMachine, "Software\\Norvalis\\Telvorin",
                                      "Quoted", v));
  EXPECT_EQ(v, "say \"hi\"");
  ASSERT_TRUE(platform().registryRead(RegistryHive::LocalMachine, "Software\\Norvalis\\Telvorin",
                                      nullptr, v));
  EXPECT_EQ(v, "default");
  EXPECT_FALSE(platform().registryRead(RegistryHive::LocalMachine,
                                       "Software\\Norvalis\\Telvorin", "Number", v));
  EXPECT_FALSE(platform().registryRead(RegistryHive::LocalMachine,
                                       "Software\\Norvalis\\Telvorin", "Absent", v));
  EXPECT_EQ(platform().lastError(), kErrorFileNotFound);
  EXPECT_FALSE(platform().registryRead(RegistryHive::ClassesRoot,
                                       "Software\\Norvalis\\Telvorin", "Telvorin", v));
}

TEST_F(Registry, AValueLongerThan255BytesDoesNotFit) {
  std::string longest(255, 'x');
  ASSERT_TRUE(platform().registrySetValue(RegistryHive::LocalMachine, "K", "fits", longest));
  ASSERT_TRUE(platform().registrySetValue(RegistryHive::LocalMachine, "K", "long", longest + "y"));
  std::string v;
  EXPECT_TRUE(platform().registryRead(RegistryHive::LocalMachine, "K", "fits", v));
  EXPECT_EQ(v, longest);
  EXPECT_FALSE(platform().registryRead(RegistryHive::LocalMachine, "K", "long", v));
  EXPECT_EQ(platform().lastError(), kErrorMoreData);
}

TEST_F(Registry, WritesRoundTripThroughTheFile) {
  const char* clsid = "CLSID\\{11111111-2222-3333-4444-555555555555}";
  EXPECT_FALSE(platform().registryKeyExists(RegistryHive::ClassesRoot, clsid));
  ASSERT_TRUE(platform().registryCreateKey(RegistryHive::ClassesRoot, clsid));
  ASSERT_TRUE(platform().registrySetValue(RegistryHive::ClassesRoot, clsid, nullptr, "Controlador"));
  const std::string inproc = std::string(clsid) + "\\InprocServer32";
  ASSERT_TRUE(platform().registrySetValue(RegistryHive::ClassesRoot, inproc.c_str(),
                                          "ThreadingModel", "Apartment"));
  ASSERT_TRUE(platform().registrySetValue(RegistryHive::ClassesRoot, inproc.c_str(), nullptr,
                                          "C:\\x\\a \"b\".so"));
  EXPECT_TRUE(std::filesystem::exists(file_));  // folder made as needed

  // Another reader of the same file sees everything.
  std::ifstream in(file_, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  registry::RegistryFile reread = registry::RegistryFile::parse(text);
  registry::Key* k = reread.find("HKEY_CLASSES_ROOT\\" + inproc);
  ASSERT_NE(k, nullptr);
  ASSERT_NE(k->findValue("threadingmodel"), nullptr);
  EXPECT_EQ(k->findValue("ThreadingModel")->data, "Apartment");
  EXPECT_EQ(k->findValue("")->data, "C:\\x\\a \"b\".so");
  EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\r\n", 0), 0u);

  ASSERT_TRUE(platform().registryDeleteValue(RegistryHive::ClassesRoot, inproc.c_str(),
                                             "ThreadingModel"));
  EXPECT_FALSE(platform().registryDeleteValue(RegistryHive::ClassesRoot, inproc.c_str(),
                                              "ThreadingModel"));
  ASSERT_TRUE(platform().registryDeleteTree(RegistryHive::ClassesRoot, "clsid"));
  EXPECT_FALSE(platform().registryKeyExists(RegistryHive::ClassesRoot, clsid));
  EXPECT_FALSE(platform().registryKeyExists(RegistryHive::ClassesRoot, "CLSID"));
  EXPECT_TRUE(platform().registryDeleteTree(RegistryHive::ClassesRoot, "CLSID"));  // gone already
  // No temporary file is left behind.
  size_t files = 0;
  for (const auto& e : std::filesystem::directory_iterator(file_.parent_path())) {
    (void)e;
    ++files;
  }
  EXPECT_EQ(files, 1u);
}

TEST(RegistryFile, ReadsUtf16WithByteOrderMark) {
  std::u16string text =
      u"Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\S]\r\n\"V\"=\"ção\"\r\n";
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  registry::RegistryFile f = registry::RegistryFile::parse(bytes);
  registry::Key* k = f.find("HKLM\\s");
  ASSERT_NE(k, nullptr);
  EXPECT_EQ(k->findValue("v")->data, "ção");
}

TEST(RegistryFile, KeepsValuesItDoesNotInterpret) {
  registry::RegistryFile f = registry::RegistryFile::parse(
      "[HKEY_CLASSES_ROOT\\A]\n\"n\"=dword:00000001\n\"gone\"=\"x\"\n\"gone\"=-\n");
  std::string out = f.serialize();
  EXPECT_NE(out.find("\"n\"=dword:00000001\r\n"), std::string::npos);
  EXPECT_EQ(out.find("gone"), std::string::npos);
}

}  // namespace
}  // namespace torvex
