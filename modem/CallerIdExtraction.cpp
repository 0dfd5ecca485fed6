// Bounds-checked caller-ID extraction from a returned LINECALLINFO.
#include "modem/CallerIdExtraction.h"

#include <algorithm>
#include <cstring>

bool NeedsSecondFetch(const CallInfoSizes& sizes) {
    return sizes.neededSize > sizes.totalSize;
}

std::string ExtractCallerId(const unsigned char* buffer, size_t bufferSize,
                            const CallInfoSizes& sizes) {
    if (buffer == nullptr || sizes.callerIdSize == 0) {
        return {};
    }
    const uint64_t filled = std::min<uint64_t>({bufferSize, sizes.totalSize, sizes.usedSize});
    // 64-bit sums: offset + size of two 32-bit fields cannot wrap.
    const uint64_t end = uint64_t{sizes.callerIdOffset} + sizes.callerIdSize;
    if (end > filled) {
        return {};
    }
    const char* text = reinterpret_cast<const char*>(buffer + sizes.callerIdOffset);
    const void* zero = std::memchr(text, '\0', sizes.callerIdSize);
    const size_t length = zero != nullptr
                              ? static_cast<size_t>(static_cast<const char*>(zero) - text)
                              : sizes.callerIdSize;
    return std::string(text, length);
}
