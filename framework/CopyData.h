// The text a WM_COPYDATA-style record carries: its first cbData bytes, up to the first zero.
#pragma once

#include <windows.h>

#include <cstring>
#include <string_view>

namespace fw {

// An empty view for a missing record or data; never reads past cbData.
inline std::string_view CopyDataText(const COPYDATASTRUCT* record) {
    if (!record || !record->lpData) {
        return {};
    }
    const char* bytes = static_cast<const char*>(record->lpData);
    const void* zero = std::memchr(bytes, '\0', record->cbData);
    const size_t length = zero ? static_cast<size_t>(static_cast<const char*>(zero) - bytes)
                               : static_cast<size_t>(record->cbData);
    return std::string_view(bytes, length);
}

}  // namespace fw
