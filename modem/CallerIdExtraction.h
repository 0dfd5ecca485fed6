// Reads the caller ID out of a LINECALLINFO that lineGetCallInfoA returned, trusting none of
// its offsets: the Win32 side hands over the buffer and the structure's size fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The fields of a returned LINECALLINFO that locate its caller ID.
struct CallInfoSizes {
    uint32_t totalSize;       // dwTotalSize: the buffer size the caller declared
    uint32_t neededSize;      // dwNeededSize: what the whole information would take
    uint32_t usedSize;        // dwUsedSize: how much of the buffer TAPI filled
    uint32_t callerIdSize;    // dwCallerIDSize, terminator included
    uint32_t callerIdOffset;  // dwCallerIDOffset, from the start of the structure
};

// The most a second fetch may take. Real call information is a few hundred bytes; a larger
// claim is a fault of the provider, not a reason to allocate on the line-message thread.
constexpr uint32_t kMaxCallInfoSize = 64 * 1024;

// True when TAPI needed more room than the buffer had: fetch again with neededSize bytes.
bool NeedsSecondFetch(const CallInfoSizes& sizes);

// The caller ID, or "" when there is none or its place does not lie wholly inside the
// filled part of the structure (bounded by usedSize, totalSize and bufferSize alike). The
// text stops at the first zero byte or at callerIdSize, whichever comes first.
std::string ExtractCallerId(const unsigned char* buffer, size_t bufferSize,
                            const CallInfoSizes& sizes);
