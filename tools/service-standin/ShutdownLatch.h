#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

// Lets waits inside request handlers end early when the stand-in is asked to stop.
class ShutdownLatch
{
public:
    void trigger();
    bool triggered() const;
    // Sleeps for the duration; false if shutdown began meanwhile.
    bool sleepFor(std::chrono::milliseconds duration);

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool triggered_ = false;
};
