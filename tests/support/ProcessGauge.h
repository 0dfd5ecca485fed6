// What another process holds, read from outside: handles, GDI objects, threads, private bytes
// and CPU time. Under Wine, psapi's private bytes, GetProcessHandleCount and GetGuiResources
// give nothing for another process, so the figures come from the system's process list and
// the process's own GDI handle table.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

namespace test {

struct ProcessSample {
    unsigned handles = 0;
    unsigned gdiObjects = 0;
    unsigned threads = 0;
    uint64_t privateBytes = 0;  // Wine: the process's anonymous memory in use
    uint64_t workingSet = 0;
    double cpuSeconds = 0;  // user and kernel
};

// nullopt when the process is not in the system's list (it has ended). `process` needs
// PROCESS_QUERY_INFORMATION and PROCESS_VM_READ.
std::optional<ProcessSample> SampleProcess(HANDLE process);

}  // namespace test
