#include "SignalWaiter.h"

#include <signal.h>

#include <cerrno>
#include <chrono>

namespace {

sigset_t stopSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    return set;
}

} // namespace

void SignalWaiter::blockSignals()
{
    const sigset_t set = stopSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

SignalWaiter::SignalWaiter(std::function<void()> onSignal)
    : onSignal_(std::move(onSignal)), thread_([this] { waitLoop(); })
{
}

SignalWaiter::~SignalWaiter()
{
    finish();
}

void SignalWaiter::finish()
{
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
    }
    finishedChanged_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void SignalWaiter::waitLoop()
{
    const sigset_t set = stopSignals();
    const timespec slice{0, 100L * 1000 * 1000};
    // Timed waits so finish() is noticed when the server ends for another reason.
    while (true) {
        {
            std::lock_guard lock(mutex_);
            if (finished_) {
                return;
            }
        }
        if (sigtimedwait(&set, nullptr, &slice) > 0) {
            break;
        }
    }
    signalled_ = true;
    std::unique_lock lock(mutex_);
    while (!finished_) {
        lock.unlock();
        onSignal_();
        lock.lock();
        finishedChanged_.wait_for(lock, std::chrono::milliseconds(50), [this] { return finished_; });
    }
}
