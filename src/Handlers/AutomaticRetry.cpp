#include "Handlers/AutomaticRetry.h"

#include "Platform/Log/Log.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cmath>
#include <utility>

using namespace std::chrono_literals;

AutomaticRetry::AutomaticRetry(QObject* parent) : QObject(parent)
{
    m_wait.setSingleShot(true);
    m_second.setInterval(1s);
    connect(&m_wait, &QTimer::timeout, this, &AutomaticRetry::attemptNow);
    connect(&m_second, &QTimer::timeout, this, &AutomaticRetry::tick);
}

std::optional<std::chrono::milliseconds> AutomaticRetry::waitAfter(int failures, std::chrono::milliseconds waited,
                                                                   std::optional<std::chrono::seconds> retryAfter,
                                                                   double jitter)
{
    if (failures < 1 || failures >= maximumAttempts) {
        return std::nullopt;
    }
    const double doubled = static_cast<double>(firstWait.count()) * std::pow(2.0, failures - 1);
    auto wait = std::chrono::milliseconds(std::llround(doubled * (1.0 + 0.25 * std::clamp(jitter, -1.0, 1.0))));
    if (retryAfter) {
        wait = std::max<std::chrono::milliseconds>(wait, std::min(*retryAfter, longestRetryAfter));
    }
    if (waited + wait > allWaits) {
        return std::nullopt;
    }
    return wait;
}

bool AutomaticRetry::schedule(const char* fullName, const UrlError& error, std::function<void()> attempt)
{
    m_wait.stop();
    m_second.stop();
    m_attempt = nullptr;
    ++m_failures;
    const std::optional<std::chrono::milliseconds> wait =
        error.isTransient()
            ? waitAfter(m_failures, m_waited, error.retryAfter, QRandomGenerator::global()->generateDouble() * 2 - 1)
            : std::nullopt;
    if (!wait) {
        reset();
        return false;
    }
    m_waited += *wait;
    m_attempt = std::move(attempt);
    Log::write("%s : Attempt %d of %d failed, trying again in %ld ms", fullName, m_failures, maximumAttempts,
               static_cast<long>(wait->count()));
    m_wait.start(*wait);
    m_second.start();
    tick();
    return true;
}

void AutomaticRetry::attemptNow()
{
    m_wait.stop();
    m_second.stop();
    if (std::function<void()> attempt = std::exchange(m_attempt, nullptr)) {
        attempt();
    }
}

void AutomaticRetry::reset()
{
    m_wait.stop();
    m_second.stop();
    m_attempt = nullptr;
    m_failures = 0;
    m_waited = 0ms;
}

void AutomaticRetry::onCountdown(std::function<void(int secondsLeft)> handler)
{
    m_countdown = std::move(handler);
}

bool AutomaticRetry::isWaiting() const
{
    return static_cast<bool>(m_attempt);
}

void AutomaticRetry::tick()
{
    if (m_countdown && m_wait.isActive()) {
        // Rounded up, so the count never shows 0 before the attempt.
        m_countdown(static_cast<int>((m_wait.remainingTime() + 999) / 1000));
    }
}
