// The Windows .reg text format ("Windows Registry Editor Version 5.00"),
// read and written as a small in-memory tree: the POSIX back end keeps its
// registry in such a file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace torvex::registry {

struct Value {
  std::string name;  // "" for the default value (@)
  std::string data;  // string values: the text, unescaped
  bool isString = true;
  std::string raw;  // other types (dword:, hex:...): the text after "=", kept verbatim
};

struct Key {
  std::string path;  // full path from the hive, "HKEY_LOCAL_MACHINE\Software\X"
  std::vector<Value> values;
  Value* findValue(std::string_view name);
};

class RegistryFile {
 public:
  // Tolerant: accepts UTF-16LE with a BOM or UTF-8, CR LF or LF, comments,
  // continuation lines; applies [-KEY] and "name"=- deletions; skips what
  // it cannot read.
  static RegistryFile parse(std::string_view bytes);
  // UTF-8, CR LF line ends, keys in the order they were met or made.
  std::string serialize() const;

  Key* find(std::string_view path);  // names compared ignoring case
  Key& create(std::string_view path);  // with every missing parent
  void removeTree(std::string_view path);

 private:
  std::vector<Key> keys_;
};

// "HKEY_CLASSES_ROOT" + "\" + key, with stray separators at either end of
// `key` removed.
std::string fullPath(std::string_view hive, std::string_view key);

}  // namespace torvex::registry
