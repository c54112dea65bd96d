#include "platform/prefix_cache_posix.h"

namespace torvex::posix {
namespace {

// The trays and a few working directories, in a handful of spellings each.
constexpr size_t kMaxAnswers = 256;

}  // namespace

bool PrefixCache::find(const std::string& spelled, std::string& dir, struct stat& dirStat) {
  Answer answer;
  {
    std::lock_guard lock(mutex_);
    auto it = answers_.find(spelled);
    if (it == answers_.end()) return false;
    answer = it->second;
  }
  bool holds = true;
  for (const Choice& c : answer.choices) {
    struct stat now;
    if (stat(c.dir.c_str(), &now) != 0 || !(DirStamp::of(now) == c.stamp)) {
      holds = false;
      break;
    }
  }
  holds = holds && stat(answer.dir.c_str(), &dirStat) == 0 && S_ISDIR(dirStat.st_mode);
  if (!holds) {
    std::lock_guard lock(mutex_);
    answers_.erase(spelled);
    return false;
  }
  dir = std::move(answer.dir);
  return true;
}

void PrefixCache::remember(const std::string& spelled, const std::string& dir,
                           std::vector<Choice> choices) {
  std::lock_guard lock(mutex_);
  if (answers_.size() >= kMaxAnswers) answers_.clear();
  answers_.insert_or_assign(spelled, Answer{dir, std::move(choices)});
}

bool PrefixCache::restsOn(const std::string& dir) {
  std::lock_guard lock(mutex_);
  for (const auto& [spelled, answer] : answers_) {
    for (const Choice& c : answer.choices) {
      if (c.dir == dir) return true;
    }
  }
  return false;
}

void PrefixCache::changed(const std::string& dir, const struct stat& before,
                          const struct stat* after) {
  std::lock_guard lock(mutex_);
  const DirStamp was = DirStamp::of(before);
  for (auto it = answers_.begin(); it != answers_.end();) {
    bool holds = true;
    for (Choice& c : it->second.choices) {
      if (c.dir != dir) continue;
      // Someone else changed it too: look again next time.
      if (!after || !(c.stamp == was)) {
        holds = false;
        break;
      }
      c.stamp = DirStamp::of(*after);
    }
    it = holds ? std::next(it) : answers_.erase(it);
  }
}

void PrefixCache::clear() {
  std::lock_guard lock(mutex_);
  answers_.clear();
}

PrefixCache& prefixCache() {
  static PrefixCache cache;
  return cache;
}

}  // namespace torvex::posix
