#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <chrono>
#include <functional>
#include <optional>
#include <utility>

// The seams where a test steers the platform's side effects: termination, launch arguments, the browser, where the
// running program and its images seem to lie, the bundle swap and the check's idle time-out. Each is empty or at its
// default in the application; tests set them through HookGuard only, so none outlives the test that set it.
namespace TestHooks {

// How Application::terminate() ends the process; empty: the process exits.
inline std::function<void(int status)> exitFunction;
// The launch arguments ProcessInfo reports in place of the process's own.
inline std::optional<QStringList> arguments;
// How Browser opens a page; empty: the user's browser.
inline std::function<bool(const QUrl& url)> openURL;
// The path Bundle reports as the running program's, for helpers that act as a program elsewhere.
inline QString mainExecutablePath;
// The folder ResourceImages reads in place of the running bundle's resources.
inline QString resourceFolder;
// Whether BundleReplacer and SiblingInstall's joint install try the one-step swap; off takes the road of a file system
// without it.
inline bool exchangeEnabled = true;
// The synchronous check's idle time-out in place of the default minute.
inline std::optional<std::chrono::milliseconds> checkTimeout;

} // namespace TestHooks

// Sets a hook for the guard's lifetime and restores the value it had when the guard goes.
template <typename T> class [[nodiscard]] HookGuard
{
public:
    template <typename V>
    HookGuard(T& hook, V&& value) : m_hook(hook), m_saved(std::exchange(hook, T(std::forward<V>(value))))
    {
    }
    ~HookGuard() { m_hook = std::move(m_saved); }
    HookGuard(const HookGuard&) = delete;
    HookGuard& operator=(const HookGuard&) = delete;
    HookGuard(HookGuard&&) = delete;
    HookGuard& operator=(HookGuard&&) = delete;

private:
    T& m_hook;
    T m_saved;
};

template <typename T, typename V> HookGuard(T&, V&&) -> HookGuard<T>;
