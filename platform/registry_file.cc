#include "platform/registry_file.h"

#include <algorithm>

#include "platform/unicode.h"

namespace torvex::registry {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";

std::string_view trim(std::string_view s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string_view::npos) return {};
  size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

std::string_view trimSeparators(std::string_view s) {
  while (!s.empty() && s.front() == '\\') s.remove_prefix(1);
  while (!s.empty() && s.back() == '\\') s.remove_suffix(1);
  return s;
}

// Short hive names some tools write.
std::string canonicalHive(std::string_view path) {
  std::string_view hive = path.substr(0, path.find('\\'));
  std::string_view rest = path.substr(hive.size());
  if (unicode::equalIgnoringCase(hive, "HKCR")) return "HKEY_CLASSES_ROOT" + std::string(rest);
  if (unicode::equalIgnoringCase(hive, "HKLM")) return "HKEY_LOCAL_MACHINE" + std::string(rest);
  return std::string(path);
}

std::string toUtf8(std::string_view bytes) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    std::u16string wide;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                           (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    }
    return unicode::utf16ToUtf8(wide);
  }
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  return std::string(bytes);
}

// Reads a quoted string at the start of `s` ("..." with \\ and \"); returns
// the characters consumed, 0 when it is not a complete quoted string.
size_t readQuoted(std::string_view s, std::string& out) {
  if (s.empty() || s[0] != '"') return 0;
  out.clear();
  for (size_t i = 1; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
      out.push_back(s[++i]);
    } else if (s[i] == '"') {
      return i + 1;
    } else {
      out.push_back(s[i]);
    }
  }
  return 0;
}

std::string quoted(std::string_view s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

std::vector<std::string> logicalLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string pending;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos = end + 1;
    std::string_view t = trim(line);
    if (!t.empty() && t.back() == '\\' && t.front() != '[') {
      pending.append(t.substr(0, t.size() - 1));  // continued on the next line
      continue;
    }
    pending.append(pending.empty() ? line : t);
    lines.push_back(std::move(pending));
    pending.clear();
  }
  if (!pending.empty()) lines.push_back(std::move(pending));
  return lines;
}

bool isUnder(std::string_view path, std::string_view root) {
  if (path.size() < root.size()) return false;
  if (!unicode::equalIgnoringCase(path.substr(0, root.size()), root)) return false;
  return path.size() == root.size() || path[root.size()] == '\\';
}

}  // namespace

Value* Key::findValue(std::string_view name) {
  for (Value& v : values) {
    if (unicode::equalIgnoringCase(v.name, name)) return &v;
  }
  return nullptr;
}

RegistryFile RegistryFile::parse(std::string_view bytes) {
  RegistryFile file;
  Key* current = nullptr;
  size_t index = 0;  // keys_ may reallocate: keep an index, not a pointer
  for (const std::string& raw : logicalLines(toUtf8(bytes))) {
    std::string_view line = trim(raw);
    if (line.empty() || line[0] == ';' || line == kHeader || line == "REGEDIT4") continue;
    if (line.front() == '[') {
      size_t close = line.rfind(']');
      if (close == std::string_view::npos) {
        current = nullptr;
        continue;
      }
      std::string_view path = line.substr(1, close - 1);
      if (trimSeparators(path).empty()) {
        current = nullptr;
      } else if (path[0] == '-') {
        file.removeTree(trimSeparators(path.substr(1)));
        current = nullptr;
      } else {
        file.create(trimSeparators(path));
        current = file.find(trimSeparators(path));
        index = static_cast<size_t>(current - file.keys_.data());
      }
      continue;
    }
    if (!current) continue;
    current = &file.keys_[index];
    std::string name;
    size_t used;
    if (line[0] == '@') {
      used = 1;
    } else if ((used = readQuoted(line, name)) == 0) {
      continue;
    }
    std::string_view rest = trim(line.substr(used));
    if (rest.empty() || rest[0] != '=') continue;
    rest = trim(rest.substr(1));
    if (rest == "-") {
      std::erase_if(current->values,
                    [&](const Value& v) { return unicode::equalIgnoringCase(v.name, name); });
      continue;
    }
    Value value;
    value.name = name;
    if (!rest.empty() && rest[0] == '"') {
      if (readQuoted(rest, value.data) == 0) continue;
    } else {
      value.isString = false;
      value.raw = std::string(rest);
    }
    if (Value* old = current->findValue(name)) {
      *old = std::move(value);
    } else {
      current->values.push_back(std::move(value));
    }
  }
  return file;
}

std::string RegistryFile::serialize() const {
  std::string out(kHeader);
  out += "\r\n\r\n";
  for (const Key& key : keys_) {
    out += "[" + key.path + "]\r\n";
    for (const Value& v : key.values) {
      out += v.name.empty() ? std::string("@") : quoted(v.name);
      out += "=";
      out += v.isString ? quoted(v.data) : v.raw;
      out += "\r\n";
    }
    out += "\r\n";
  }
  return out;
}

Key* RegistryFile::find(std::string_view path) {
  std::string canonical = canonicalHive(trimSeparators(path));
  for (Key& key : keys_) {
    if (unicode::equalIgnoringCase(key.path, canonical)) return &key;
  }
  return nullptr;
}

Key& RegistryFile::create(std::string_view path) {
  std::string canonical = canonicalHive(trimSeparators(path));
  size_t cut = 0;
  for (;;) {
    cut = canonical.find('\\', cut + 1);
    std::string_view prefix(canonical.data(), cut == std::string::npos ? canonical.size() : cut);
    if (!find(prefix)) keys_.push_back(Key{std::string(prefix), {}});
    if (cut == std::string::npos) break;
  }
  return *find(canonical);
}

void RegistryFile::removeTree(std::string_view path) {
  std::string canonical = canonicalHive(trimSeparators(path));
  std::erase_if(keys_, [&](const Key& k) { return isUnder(k.path, canonical); });
}

std::string fullPath(std::string_view hive, std::string_view key) {
  std::string_view rest = trimSeparators(key);
  return rest.empty() ? std::string(hive) : std::string(hive) + "\\" + std::string(rest);
}

}  // namespace torvex::registry
