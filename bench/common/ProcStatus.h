#pragma once

#include <string>

// Figures from /proc/<pid>/status and /proc/<pid>/stat, for the benchmark programs.
class ProcStatus
{
public:
    // A "Vm…" field of the process's status in KiB ("VmHWM" is the peak resident size); -1 when unreadable.
    static long kib(const std::string& field, const std::string& pid = "self");
    // User plus system CPU time of the process in clock ticks; -1 when unreadable.
    static long long cpuTicks(int pid);
    // Clock ticks per second.
    static long ticksPerSecond();
};
