#pragma once
// A one-shot latch for tests that hold a thread until another has done
// something. std::latch of GCC 12 can miss a wake-up where the system has no
// futex (MinGW under Wine): a test held on it then never goes on.

#include <condition_variable>
#include <mutex>

namespace kivtest {

class Latch {
public:
    explicit Latch(int count) : count_(count) {}

    void count_down()
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (--count_ <= 0)
            opened_.notify_all();
    }
    void wait()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        opened_.wait(lock, [this] { return count_ <= 0; });
    }

private:
    std::mutex mutex_;
    std::condition_variable opened_;
    int count_;
};

} // namespace kivtest
