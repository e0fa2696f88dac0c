#include "common/ProcStatus.h"

#include <unistd.h>

#include <fstream>
#include <sstream>

long ProcStatus::kib(const std::string& field, const std::string& pid)
{
    std::ifstream status("/proc/" + pid + "/status");
    std::string line;
    const std::string prefix = field + ":";
    while (std::getline(status, line)) {
        if (line.rfind(prefix, 0) == 0) {
            return std::stol(line.substr(prefix.size()));
        }
    }
    return -1;
}

long long ProcStatus::cpuTicks(int pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // The command name may hold blanks and parentheses; the fields after its last ')' are fixed.
    const auto close = text.rfind(')');
    if (close == std::string::npos) {
        return -1;
    }
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    long long utime = 0;
    long long stime = 0;
    // Fields 3 to 15 of stat; utime and stime are the 14th and 15th.
    for (int index = 3; index <= 15 && fields >> field; ++index) {
        if (index == 14) {
            utime = std::stoll(field);
        } else if (index == 15) {
            stime = std::stoll(field);
        }
    }
    return utime + stime;
}

long ProcStatus::ticksPerSecond()
{
    return ::sysconf(_SC_CLK_TCK);
}
