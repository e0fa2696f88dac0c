#pragma once

#include "Platform/Net/UrlError.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <optional>

// The attempts one transfer makes by itself after transient faults before anyone is told: four at the most within
// about half a minute, the waits growing from about a second, each about twice the one before and randomised by up
// to a quarter, so that customers cut off by one outage do not all come back at the same instant. A server's
// Retry-After is honoured up to a bound.
class AutomaticRetry : public QObject
{
    Q_OBJECT

public:
    static constexpr int maximumAttempts = 4;
    static constexpr std::chrono::milliseconds firstWait{1000};
    // What all the waits of one transfer may add up to.
    static constexpr std::chrono::milliseconds allWaits{30000};
    // The longest Retry-After taken as asked; a longer one is cut to this.
    static constexpr std::chrono::seconds longestRetryAfter{15};

    explicit AutomaticRetry(QObject* parent = nullptr);

    // The wait after the failed attempt number failures (from 1), when waited have been spent already, the server
    // asked for retryAfter, and jitter in [-1, 1] picks the randomisation; nothing when no attempt is left.
    static std::optional<std::chrono::milliseconds> waitAfter(int failures, std::chrono::milliseconds waited,
                                                              std::optional<std::chrono::seconds> retryAfter,
                                                              double jitter);

    // After a failed attempt: when error is transient and an attempt is left, logs one line under fullName, starts
    // the wait and runs attempt at its end, and is true. False for a permanent error or when the attempts are spent;
    // the count then starts again for the next transfer.
    bool schedule(const char* fullName, const UrlError& error, std::function<void()> attempt);
    // Runs the waiting attempt at once, when one waits.
    void attemptNow();
    // Drops a waiting attempt and starts the count again.
    void reset();
    // Told the whole seconds left when a wait starts and each second after.
    void onCountdown(std::function<void(int secondsLeft)> handler);
    bool isWaiting() const;

private:
    void tick();

    QTimer m_wait;
    QTimer m_second;
    int m_failures = 0;
    std::chrono::milliseconds m_waited{0};
    std::function<void()> m_attempt;
    std::function<void(int)> m_countdown;
};
