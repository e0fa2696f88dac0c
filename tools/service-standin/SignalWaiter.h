#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Waits for SIGTERM or SIGINT on its own thread, so no real work happens in a signal handler.
class SignalWaiter
{
public:
    // Blocks the signals for the calling thread; call before any other thread is started so all inherit it.
    static void blockSignals();

    // onSignal is called on the waiter thread, repeatedly until finish(), in case the first call came too
    // early to take effect.
    explicit SignalWaiter(std::function<void()> onSignal);
    ~SignalWaiter();
    SignalWaiter(const SignalWaiter&) = delete;
    SignalWaiter& operator=(const SignalWaiter&) = delete;

    void finish();
    bool signalled() const { return signalled_; }

private:
    void waitLoop();

    std::function<void()> onSignal_;
    std::atomic<bool> signalled_ = false;
    std::mutex mutex_;
    std::condition_variable finishedChanged_;
    bool finished_ = false;
    std::thread thread_;
};
