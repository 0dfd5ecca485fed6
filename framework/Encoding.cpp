#include "framework/Encoding.h"

#include <algorithm>
#include <climits>

namespace fw {

std::wstring Widen(std::string_view text, UINT codePage) {
    const int length = static_cast<int>(std::min<size_t>(text.size(), INT_MAX));
    if (length == 0) {
        return {};
    }
    const int units = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<size_t>(units > 0 ? units : 0), L'\0');
    if (units > 0) {
        MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), units);
    }
    return wide;
}

std::string Narrow(std::wstring_view text, UINT codePage) {
    const int units = static_cast<int>(std::min<size_t>(text.size(), INT_MAX));
    if (units == 0) {
        return {};
    }
    const int length =
        WideCharToMultiByte(codePage, 0, text.data(), units, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) {
        WideCharToMultiByte(codePage, 0, text.data(), units, narrow.data(), length, nullptr,
                            nullptr);
    }
    return narrow;
}

}  // namespace fw
