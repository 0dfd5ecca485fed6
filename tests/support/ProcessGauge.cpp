#include "tests/support/ProcessGauge.h"

#include <winternl.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace test {

namespace {

// One entry of the GDI handle table that the PEB points to (the layout Wine and Windows share).
struct GdiHandleEntry {
    uint64_t object;
    uint32_t owner;
    uint16_t unique;
    uint8_t type;  // 0: free
    uint8_t flags;
    uint64_t user;
};
static_assert(sizeof(GdiHandleEntry) == 24, "GDI handle table entry");
constexpr size_t kGdiTableEntries = 0x10000;
constexpr size_t kPebGdiTableOffset = 0xF8;  // x64

// GetGuiResources, or where it is not implemented (Wine), the entries in use of the
// process's own GDI handle table.
unsigned GdiObjectsOf(HANDLE process) {
    if (const DWORD count = GetGuiResources(process, GR_GDIOBJECTS)) {
        return count;
    }
    PROCESS_BASIC_INFORMATION basic{};
    ULONG length = 0;
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic,
                                  &length) != 0) {
        return 0;
    }
    uint64_t table = 0;
    SIZE_T read = 0;
    if (!ReadProcessMemory(
            process,
            static_cast<char*>(static_cast<void*>(basic.PebBaseAddress)) + kPebGdiTableOffset,
            &table, sizeof table, &read) ||
        table == 0) {
        return 0;
    }
    auto entries = std::make_unique<GdiHandleEntry[]>(kGdiTableEntries);
    if (!ReadProcessMemory(process, reinterpret_cast<void*>(table), entries.get(),
                           kGdiTableEntries * sizeof(GdiHandleEntry), &read)) {
        return 0;
    }
    unsigned used = 0;
    for (size_t i = 0; i < read / sizeof(GdiHandleEntry); ++i) {
        used += entries[i].type != 0 ? 1 : 0;
    }
    return used;
}

}  // namespace

std::optional<ProcessSample> SampleProcess(HANDLE process) {
    const DWORD id = GetProcessId(process);
    std::vector<char> list(1 << 16);
    for (;;) {
        ULONG needed = 0;
        const NTSTATUS status = NtQuerySystemInformation(SystemProcessInformation, list.data(),
                                                         static_cast<ULONG>(list.size()), &needed);
        if (status == 0) {
            break;
        }
        if (list.size() >= (64u << 20)) {
            return std::nullopt;
        }
        list.resize(std::max<size_t>(list.size() * 2, needed));
    }
    for (size_t at = 0;;) {
        const auto* entry = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(&list[at]);
        if (reinterpret_cast<uintptr_t>(entry->UniqueProcessId) == id) {
            ProcessSample sample;
            sample.handles = entry->HandleCount;
            sample.threads = entry->NumberOfThreads;
            sample.privateBytes = entry->VirtualMemoryCounters.PagefileUsage;
            sample.workingSet = entry->VirtualMemoryCounters.WorkingSetSize;
            sample.cpuSeconds =
                static_cast<double>(entry->UserTime.QuadPart + entry->KernelTime.QuadPart) / 1e7;
            sample.gdiObjects = GdiObjectsOf(process);
            return sample;
        }
        if (entry->NextEntryOffset == 0) {
            return std::nullopt;
        }
        at += entry->NextEntryOffset;
    }
}

}  // namespace test
