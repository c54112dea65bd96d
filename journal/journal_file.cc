#include "journal/journal_file.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "journal/bookkeeping.h"

namespace torvex {
namespace {

constexpr std::string_view kHeader = "H TORVEX JOURNAL 2";
constexpr size_t kFrame = 8 + 1 + 16 + 1;  // "<length> <checksum> " before each payload

void escape(std::string& out, std::string_view field) {
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

long long number(std::string_view text) {
  return std::strtoll(std::string(text).c_str(), nullptr, 10);
}

uint64_t hex(std::string_view text) {
  return std::strtoull(std::string(text).c_str(), nullptr, 16);
}

// One framed record: length and checksum of the payload, the payload, a line feed.
void frame(std::string& out, std::string_view payload) {
  char head[kFrame + 1];
  std::snprintf(head, sizeof head, "%08zx %016llx ", payload.size(),
                static_cast<unsigned long long>(checksum(payload)));
  out.append(head).append(payload).append("\n");
}

// The payload of the record at `pos`, or false when it is torn or damaged.
bool unframe(std::string_view text, size_t& pos, std::string_view& payload) {
  if (text.size() - pos < kFrame || text[pos + 8] != ' ' || text[pos + 25] != ' ') return false;
  const std::string_view head = text.substr(pos, kFrame);
  if (head.substr(0, 8).find_first_not_of("0123456789abcdef") != std::string_view::npos ||
      head.substr(9, 16).find_first_not_of("0123456789abcdef") != std::string_view::npos) {
    return false;
  }
  const size_t length = static_cast<size_t>(hex(head.substr(0, 8)));
  if (text.size() - pos - kFrame < length + 1 || text[pos + kFrame + length] != '\n') return false;
  payload = text.substr(pos + kFrame, length);
  if (checksum(payload) != hex(head.substr(9, 16))) return false;
  pos += kFrame + length + 1;
  return true;
}

// Whether a whole record of the given kind stands anywhere after `pos`:
// damage before it is then no tear of the last write. (Looked for at every
// byte: the damage may have taken the line feed before it.)
bool wholeRecordAfter(std::string_view text, size_t pos, std::string_view kinds) {
  for (size_t at = pos + 1; at + kFrame < text.size(); ++at) {
    size_t next = at;
    std::string_view payload;
    if (unframe(text, next, payload) && !payload.empty() && kinds.find(payload[0]) != kinds.npos) {
      return true;
    }
  }
  return false;
}

std::string stepPayload(const Step& s) {
  char numbers[160];
  const int flags =
      (s.undo ? 1 : 0) | (s.replace ? 2 : 0) | (s.pending ? 4 : 0) | (s.ifPresent ? 8 : 0);
  std::snprintf(numbers, sizeof numbers, "S\t%c\t%ld\t%d\t%lld\t%lld\t%llu\t%016llx",
                static_cast<char>(s.op), s.item, flags, static_cast<long long>(s.n),
                static_cast<long long>(s.m), static_cast<unsigned long long>(s.digest.size),
                static_cast<unsigned long long>(s.digest.sum));
  std::string payload = numbers;
  for (const std::string* f : {&s.a, &s.b, &s.c, &s.d}) escape(payload, *f);
  return payload;
}

bool parseStep(std::string_view payload, Step& s) {
  auto f = split(payload);
  if (f.size() != 12 || f[0] != "S" || f[1].size() != 1) return false;
  s.op = static_cast<Op>(f[1][0]);
  s.item = static_cast<long>(number(f[2]));
  const long long flags = number(f[3]);
  s.undo = flags & 1;
  s.replace = flags & 2;
  s.pending = flags & 4;
  s.ifPresent = flags & 8;
  s.n = number(f[4]);
  s.m = number(f[5]);
  s.digest.size = static_cast<uint64_t>(number(f[6]));
  s.digest.sum = hex(f[7]);
  s.a = unescape(f[8]);
  s.b = unescape(f[9]);
  s.c = unescape(f[10]);
  s.d = unescape(f[11]);
  return true;
}

std::string planText(const std::vector<Step>& steps) {
  std::string text;
  frame(text, kHeader);
  uint64_t all = checksum(kHeader);
  for (const Step& s : steps) {
    const std::string payload = stepPayload(s);
    all = checksum(payload, all);
    frame(text, payload);
  }
  char end[64];
  std::snprintf(end, sizeof end, "E %zu %016llx", steps.size(), static_cast<unsigned long long>(all));
  frame(text, end);
  return text;
}

JournalState parse(std::string_view text, Plan& plan) {
  plan = Plan();
  if (text.empty()) return JournalState::None;
  size_t pos = 0;
  bool committed = false;
  uint64_t all = checksum({});
  std::vector<Step> steps;
  while (pos < text.size()) {
    std::string_view payload;
    const size_t at = pos;
    if (!unframe(text, pos, payload)) {
      // A plan torn while it was written never started; a mark torn while
      // it was written was never relied on. Damage with whole records after
      // it is neither.
      return wholeRecordAfter(text, at, committed ? "SEKX" : "EKX") ? JournalState::Error
             : committed                                           ? JournalState::Plan
                                                                   : JournalState::None;
    }
    if (at == 0 && payload != kHeader) return JournalState::Error;
    if (!committed) {
      if (payload.starts_with("S")) {
        Step s;
        if (!parseStep(payload, s)) return JournalState::Error;
        steps.push_back(std::move(s));
      } else if (payload.starts_with("E ")) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "E %zu %016llx", steps.size(),
                      static_cast<unsigned long long>(all));
        if (payload != expected) return JournalState::Error;
        committed = true;
        plan.steps = std::move(steps);
      } else if (at != 0) {
        return JournalState::Error;
      }
      all = checksum(payload, all);
      continue;
    }
    const long value = payload.size() > 2 ? static_cast<long>(number(payload.substr(2))) : -1;
    if (payload.starts_with("K ") && value >= 0 && static_cast<size_t>(value) < plan.steps.size()) {
      plan.resumeAt = static_cast<size_t>(value) + 1;
    } else if (payload.starts_with("X ")) {
      plan.abandoned.insert(value);
    } else {
      return JournalState::Error;
    }
  }
  return committed ? JournalState::Plan : JournalState::None;
}

JournalState readAll(File& f, uint64_t size, Plan& plan) {
  std::string text(size, '\0');
  if (size > 0 && (!f.seek(0) || f.read(text.data(), text.size()) != static_cast<long>(size))) {
    return JournalState::Error;
  }
  return parse(text, plan);
}

}  // namespace

bool Journal::open(const char* raiz) {
  char caminho[kTamanhoCaminho];
  if (!caminhoDiario(raiz, caminho)) return false;
  path_ = caminho;
  file_ = File(caminho, OpenMode::ReadWrite);
  if (!file_ && !pathExists(caminho)) {
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

JournalState Journal::read(Plan& plan) {
  const JournalState state = readAll(file_, end_, plan);
  carried_.clear();
  return state;
}

bool Journal::write(const std::string& text) {
  if (carried_.empty()) {
    if (!file_.truncate(0) || !file_.seek(0) || !file_.writeAll(text.data(), text.size()) ||
        !file_.sync()) {
      return false;
    }
    end_ = text.size();
    return true;
  }
  // Steps carried over from an earlier call are not lost to a crash between
  // emptying the journal and writing it again.
  const std::string fresh = path_ + ".NEW";
  {
    File f(fresh.c_str(), OpenMode::Write);
    if (!f || !f.writeAll(text.data(), text.size()) || !f.sync() || !f.close()) return false;
  }
  file_.close();
  const std::string dir = path_.substr(0, path_.find_last_of('/'));
  const bool moved = platform().replaceFile(fresh.c_str(), path_.c_str()) &&
                     platform().syncDirectory(dir.c_str());
  file_ = File(path_.c_str(), OpenMode::ReadWrite);
  if (!moved || !file_) return false;
  end_ = text.size();
  return true;
}

bool Journal::commit(Plan& plan) {
  std::vector<Step> steps = carried_;
  for (Step& s : steps) {
    s.item = -1;
    s.pending = true;
  }
  const size_t before = steps.size();
  steps.insert(steps.end(), plan.steps.begin(), plan.steps.end());
  if (!write(planText(steps))) return false;
  plan.steps = std::move(steps);
  if (before > 0) plan.resumeAt = 0;
  carried_.clear();
  return true;
}

bool Journal::mark(char kind, long value) {
  char payload[32];
  std::snprintf(payload, sizeof payload, "%c %ld", kind, value);
  std::string record;
  frame(record, payload);
  if (!file_.seek(end_) || !file_.writeAll(record.data(), record.size()) || !file_.sync()) {
    return false;
  }
  end_ += record.size();
  return true;
}

bool Journal::finish(std::vector<Step> carried) {
  if (carried.empty()) {
    carried_.clear();
    if (end_ == 0) return true;
    if (!file_.truncate(0) || !file_.sync()) return false;
    end_ = 0;
    return true;
  }
  for (Step& s : carried) {
    s.item = -1;
    s.pending = true;
  }
  carried_ = carried;
  if (!write(planText(carried))) return false;
  return true;
}

JournalState readJournal(const char* raiz, Plan& plan) {
  plan = Plan();
  char caminho[kTamanhoCaminho];
  if (!caminhoDiario(raiz, caminho)) return JournalState::Error;
  File f(caminho, OpenMode::Read);
  if (!f) return pathExists(caminho) ? JournalState::Error : JournalState::None;
  const int64_t size = f.size();
  if (size < 0) return JournalState::Error;
  return readAll(f, static_cast<uint64_t>(size), plan);
}

std::set<std::string> filesNamed(const Plan& plan) {
  std::set<std::string> names;
  auto add = [&names](const std::string& path) {
    if (!path.empty()) names.insert(dobraCaixa(path));
  };
  for (const Step& s : plan.steps) {
    switch (s.op) {
      case Op::Barrier:
        break;
      case Op::Fragment:  // a and b are record texts
        add(s.c);
        break;
      case Op::Write:  // c is an identity
        add(s.a), add(s.d);
        break;
      case Op::Retire:
        add(s.a), add(s.b), add(s.c), add(s.d);
        break;
      default:
        add(s.a), add(s.b), add(s.c);
        break;
    }
  }
  return names;
}

}  // namespace torvex
