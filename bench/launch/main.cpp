// Starts a program and measures it from outside, as the customer's desktop sees it.
// Usage: orvo-bench-launch [--hold SECONDS] [--idle SECONDS] [--settle SECONDS] [--until-exit] [--timeout SECONDS]
//                          -- PROGRAM [ARGS…]
//   default       waits for the program's first top-level window to be mapped on $DISPLAY (matched by
//                 _NET_WM_PID), then stops it with SIGTERM
//   --hold S      S seconds after the window is mapped, the program's peak resident size so far (hwm_kib=)
//   --idle S      after the window is up and --settle S (default 1) has passed, the CPU time (user + system, all
//                 threads) the program uses over S seconds
//   --until-exit  no display: waits for the program to end by itself
// Prints one line: shown_ms= | exit_ms= status=, idle_cpu_ms= idle_percent= when asked, maxrss_kib= (the
// program's peak resident size, from wait4). Every wait is bounded by --timeout (default 60 s).
#include "common/ProcStatus.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <thread>
#include <time.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

long windowPid(Display* display, Window window)
{
    static const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data) ==
            Success &&
        data) {
        if (type == XA_CARDINAL && format == 32 && count == 1) {
            pid = static_cast<long>(*reinterpret_cast<unsigned long*>(data));
        }
        XFree(data);
    }
    return pid;
}

// Waits for a top-level window of pid to be mapped; false on time-out or when the program ends first.
bool waitForWindow(Display* display, pid_t pid, Clock::time_point deadline)
{
    const int fd = ConnectionNumber(display);
    while (Clock::now() < deadline) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && !event.xmap.override_redirect &&
                windowPid(display, event.xmap.window) == pid) {
                return true;
            }
        }
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid) {
            return false;
        }
        pollfd ready{fd, POLLIN, 0};
        ::poll(&ready, 1, 50);
    }
    return false;
}

// Waits for the program's end; on time-out it is killed. The peak resident size lands in usage.
bool reap(pid_t pid, int& status, rusage& usage, Clock::time_point deadline)
{
    while (Clock::now() < deadline) {
        const pid_t done = ::wait4(pid, &status, WNOHANG, &usage);
        if (done == pid) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ::kill(pid, SIGKILL);
    ::wait4(pid, &status, 0, &usage);
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    double holdSeconds = 0;
    double idleSeconds = 0;
    double settleSeconds = 1;
    double timeoutSeconds = 60;
    bool untilExit = false;
    int first = 1;
    for (; first < argc; ++first) {
        const std::string arg = argv[first];
        if (arg == "--") {
            ++first;
            break;
        }
        if (arg == "--until-exit") {
            untilExit = true;
        } else if ((arg == "--hold" || arg == "--idle" || arg == "--settle" || arg == "--timeout") &&
                   first + 1 < argc) {
            const double value = std::atof(argv[++first]);
            (arg == "--hold"     ? holdSeconds
             : arg == "--idle"   ? idleSeconds
             : arg == "--settle" ? settleSeconds
                                 : timeoutSeconds) = value;
        } else {
            std::fprintf(stderr, "orvo-bench-launch: unknown argument %s\n", arg.c_str());
            return 2;
        }
    }
    if (first >= argc) {
        std::fprintf(stderr, "usage: orvo-bench-launch [--hold S] [--idle S] [--settle S] [--until-exit] [--timeout S] "
                             "-- PROGRAM [ARGS…]\n");
        return 2;
    }

    Display* display = nullptr;
    if (!untilExit) {
        display = XOpenDisplay(nullptr);
        if (!display) {
            std::fprintf(stderr, "orvo-bench-launch: cannot open the display\n");
            return 2;
        }
        XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
        XSync(display, False);
    }

    const auto deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(timeoutSeconds));
    const auto start = Clock::now();
    pid_t pid = 0;
    if (::posix_spawn(&pid, argv[first], nullptr, nullptr, argv + first, environ) != 0) {
        std::fprintf(stderr, "orvo-bench-launch: cannot start %s: %s\n", argv[first], std::strerror(errno));
        return 2;
    }

    int status = 0;
    rusage usage{};
    std::string line;
    bool ok = true;
    if (untilExit) {
        ok = reap(pid, status, usage, deadline);
        line = "exit_ms=" + std::to_string(millisecondsSince(start)) +
               " status=" + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
        ok = ok && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    } else {
        ok = waitForWindow(display, pid, deadline);
        line = "shown_ms=" + std::to_string(millisecondsSince(start));
        if (ok && holdSeconds > 0) {
            std::this_thread::sleep_for(std::chrono::duration<double>(holdSeconds));
            const long hwm = ProcStatus::kib("VmHWM", std::to_string(pid));
            ok = hwm > 0;
            line += " hwm_kib=" + std::to_string(hwm);
        }
        if (ok && idleSeconds > 0) {
            std::this_thread::sleep_for(std::chrono::duration<double>(settleSeconds));
            const long long before = ProcStatus::cpuTicks(pid);
            const auto idleStart = Clock::now();
            std::this_thread::sleep_for(std::chrono::duration<double>(idleSeconds));
            const long long after = ProcStatus::cpuTicks(pid);
            const double elapsed = std::chrono::duration<double>(Clock::now() - idleStart).count();
            const double cpuMs = static_cast<double>(after - before) * 1000.0 / ProcStatus::ticksPerSecond();
            ok = before >= 0 && after >= 0;
            line += " idle_cpu_ms=" + std::to_string(cpuMs) +
                    " idle_percent=" + std::to_string(cpuMs / (elapsed * 1000.0) * 100.0);
        }
        ::kill(pid, SIGTERM);
        // Ten seconds to stop, then it is killed.
        reap(pid, status, usage, Clock::now() + std::chrono::seconds(10));
        XCloseDisplay(display);
    }
    line += " maxrss_kib=" + std::to_string(usage.ru_maxrss);
    std::printf("%s\n", line.c_str());
    return ok ? 0 : 1;
}
