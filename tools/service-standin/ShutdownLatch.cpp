#include "ShutdownLatch.h"

void ShutdownLatch::trigger()
{
    {
        std::lock_guard lock(mutex_);
        triggered_ = true;
    }
    changed_.notify_all();
}

bool ShutdownLatch::triggered() const
{
    std::lock_guard lock(mutex_);
    return triggered_;
}

bool ShutdownLatch::sleepFor(std::chrono::milliseconds duration)
{
    std::unique_lock lock(mutex_);
    return !changed_.wait_for(lock, duration, [this] { return triggered_; });
}
