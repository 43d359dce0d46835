// The programs that are running now, as a process snapshot gives them.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Kernel limit of a process's short name: longer names are cut to this.
constexpr size_t kShortProcessNameLength = 15;

struct SProcessEntry
{
    int nPid = 0;
    std::string strExeName;   // file name of the executable ("" when not readable)
    std::string strShortName; // the kernel's short name, at most 15 bytes
};

// Every live process (zombies left out). False when the process list
// cannot be read; *pnError then holds the errno.
bool ListProcesses(std::vector<SProcessEntry>& vProcesses, int* pnError = nullptr);

} // namespace platform
