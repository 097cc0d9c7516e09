#include "process_stats.h"

#include <fstream>
#include <sstream>
#include <string>

long cpu_ticks(pid_t pid)
{
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    std::getline(file, stat);
    // The command name in parentheses may hold spaces; the fields after it
    // do not. utime and stime are the 14th and 15th fields.
    const auto name_end = stat.rfind(')');
    if (name_end == std::string::npos)
        return -1;
    std::istringstream fields(stat.substr(name_end + 2));
    std::string skipped;
    for (int field = 3; field < 14; ++field)
        fields >> skipped;
    long user = 0;
    long system = 0;
    if (!(fields >> user >> system))
        return -1;
    return user + system;
}
