// A large working buffer taken from a few kept spares and handed back when
// done: packing many small files would otherwise map, fault in and free
// each buffer once per file, which costs more than compressing a small one.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

namespace torvex::arj {

// T is default-constructible; a spare comes back as its last user left it.
template <class T>
class Reused {
 public:
  Reused() : item_(take()) {}
  ~Reused() { giveBack(std::move(item_)); }
  Reused(const Reused&) = delete;
  Reused& operator=(const Reused&) = delete;

  T& operator*() const { return *item_; }
  T* operator->() const { return item_.get(); }

 private:
  // A couple of spares: one per thread packing at once is the common case.
  static constexpr size_t kSpare = 2;
  struct Pool {
    std::mutex mutex;
    std::vector<std::unique_ptr<T>> spare;
  };
  static Pool& pool() {
    static Pool p;
    return p;
  }
  static std::unique_ptr<T> take() {
    Pool& p = pool();
    {
      std::lock_guard lock(p.mutex);
      if (!p.spare.empty()) {
        std::unique_ptr<T> item = std::move(p.spare.back());
        p.spare.pop_back();
        return item;
      }
    }
    return std::make_unique<T>();
  }
  static void giveBack(std::unique_ptr<T> item) {
    Pool& p = pool();
    std::lock_guard lock(p.mutex);
    if (p.spare.size() < kSpare) p.spare.push_back(std::move(item));
  }

  std::unique_ptr<T> item_;
};

}  // namespace torvex::arj
