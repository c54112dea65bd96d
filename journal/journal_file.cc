#include "journal/journal_file.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "journal/bookkeeping.h"

namespace torvex {
namespace {

constexpr std::string_view kHeader = "TORVEX JOURNAL 1\n";

uint64_t hashOf(std::string_view text) {
  uint64_t h = 14695981039346656037ull;  // FNV-1a
  for (unsigned char c : text) h = (h ^ c) * 1099511628211ull;
  return h;
}

void escape(std::string& out, const std::string& field) {
  out += '\t';
  for (char c : field) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
}

std::string unescape(std::string_view field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\' || i + 1 == field.size()) {
      out += field[i];
      continue;
    }
    char c = field[++i];
    out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
  }
  return out;
}

std::vector<std::string_view> split(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  for (size_t tab; (tab = line.find('\t', start)) != std::string_view::npos; start = tab + 1) {
    fields.push_back(line.substr(start, tab - start));
  }
  fields.push_back(line.substr(start));
  return fields;
}

bool parseStep(std::string_view line, Step& s) {
  auto f = split(line);
  if (f.size() != 9 || f[0].size() != 1) return false;
  s.op = static_cast<Op>(f[0][0]);
  s.item = std::strtol(std::string(f[1]).c_str(), nullptr, 10);
  s.undo = f[2] == "1";
  s.n = std::strtoll(std::string(f[3]).c_str(), nullptr, 10);
  s.m = std::strtoll(std::string(f[4]).c_str(), nullptr, 10);
  s.a = unescape(f[5]);
  s.b = unescape(f[6]);
  s.c = unescape(f[7]);
  s.d = unescape(f[8]);
  return true;
}

}  // namespace

bool Journal::open(const char* raiz) {
  char caminho[kTamanhoCaminho];
  if (!caminhoDiario(raiz, caminho)) return false;
  file_ = File(caminho, OpenMode::ReadWrite);
  if (!file_) {
    // Made once per tree; its name must survive a power cut before any plan
    // relies on it.
    File novo(caminho, OpenMode::CreateNew);
    if (!novo || !novo.sync() || !novo.close()) return false;
    char dir[kTamanhoCaminho];
    if (!formata(dir, sizeof dir, "%s%s", raiz, "/DATA") || !platform().syncDirectory(dir)) {
      return false;
    }
    file_ = File(caminho, OpenMode::ReadWrite);
  }
  if (!file_) return false;
  int64_t size = file_.size();
  if (size < 0) return false;
  end_ = static_cast<uint64_t>(size);
  return true;
}

bool Journal::read(Plan& plan) {
  plan = Plan();
  if (end_ == 0 || !file_.seek(0)) return false;
  std::string text(end_, '\0');
  if (file_.read(text.data(), text.size()) != static_cast<long>(text.size())) return false;
  if (!std::string_view(text).starts_with(kHeader)) return false;
  size_t endLine = text.find("\nEND ");
  if (endLine == std::string::npos) return false;
  size_t afterEnd = text.find('\n', endLine + 1);
  if (afterEnd == std::string::npos) return false;
  const std::string_view body(text.data(), endLine + 1);
  char expected[32];
  std::snprintf(expected, sizeof expected, "END %016llx",
                static_cast<unsigned long long>(hashOf(body)));
  if (std::string_view(text).substr(endLine + 1, afterEnd - endLine - 1) != expected) return false;

  for (size_t pos = kHeader.size(); pos < body.size();) {
    size_t nl = body.find('\n', pos);
    Step s;
    if (!parseStep(body.substr(pos, nl - pos), s)) return false;
    plan.steps.push_back(std::move(s));
    pos = nl + 1;
  }
  // Marks, each a whole line; one torn by the crash was never relied on.
  for (size_t pos = afterEnd + 1; pos < text.size();) {
    size_t nl = text.find('\n', pos);
    if (nl == std::string::npos) break;
    std::string line = text.substr(pos, nl - pos);
    long value = line.size() > 2 ? std::strtol(line.c_str() + 2, nullptr, 10) : -1;
    if (line.starts_with("K ") && value >= 0) {
      plan.resumeAt = static_cast<size_t>(value) + 1;
    } else if (line.starts_with("X ")) {
      plan.abandoned.insert(value);
    }
    pos = nl + 1;
  }
  return true;
}

bool Journal::commit(const Plan& plan) {
  std::string text(kHeader);
  char number[64];
  for (const Step& s : plan.steps) {
    text += static_cast<char>(s.op);
    std::snprintf(number, sizeof number, "\t%ld\t%d\t%lld\t%lld", s.item, s.undo ? 1 : 0,
                  static_cast<long long>(s.n), static_cast<long long>(s.m));
    text += number;
    for (const std::string* f : {&s.a, &s.b, &s.c, &s.d}) escape(text, *f);
    text += '\n';
  }
  std::snprintf(number, sizeof number, "END %016llx\n",
                static_cast<unsigned long long>(hashOf(text)));
  text += number;
  if (!file_.truncate(0) || !file_.seek(0) || !file_.writeAll(text.data(), text.size()) ||
      !file_.sync()) {
    return false;
  }
  end_ = text.size();
  return true;
}

bool Journal::mark(char kind, long value) {
  char line[32];
  int n = std::snprintf(line, sizeof line, "%c %ld\n", kind, value);
  if (!file_.seek(end_) || !file_.writeAll(line, static_cast<size_t>(n)) || !file_.sync()) {
    return false;
  }
  end_ += static_cast<uint64_t>(n);
  return true;
}

bool Journal::clear() {
  if (end_ == 0) return true;
  if (!file_.truncate(0) || !file_.sync()) return false;
  end_ = 0;
  return true;
}

}  // namespace torvex
