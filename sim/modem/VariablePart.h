// Fills the variable part of a TAPI structure the way TAPI does: every string or block goes
// after the fixed part when all of them fit in dwTotalSize; otherwise none is copied, their
// sizes and offsets stay 0 and dwNeededSize tells the caller how much to offer next time.
#pragma once

#include <windows.h>
#include <tapi.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

namespace simmodem {

// dwTotalSize, the first member of every variably sized TAPI structure.
inline DWORD TotalSize(const void* structure) {
    DWORD total;
    std::memcpy(&total, structure, sizeof total);
    return total;
}

// Everything after dwTotalSize up to `fixedSize` zeroed, ready for the fixed members; the
// caller has checked that dwTotalSize >= fixedSize.
inline void ClearFixedPart(void* structure, DWORD fixedSize) {
    std::memset(static_cast<unsigned char*>(structure) + sizeof(DWORD), 0,
                fixedSize - sizeof(DWORD));
}

class VariablePart {
public:
    // `structure` starts with dwTotalSize, dwNeededSize, dwUsedSize; its fixed part is
    // already filled and dwTotalSize >= fixedSize has been checked.
    VariablePart(void* structure, DWORD fixedSize)
        : base_(static_cast<unsigned char*>(structure)), fixedSize_(fixedSize) {}

    void Add(DWORD* sizeField, DWORD* offsetField, const void* data, size_t size) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        pieces_.push_back(
            {sizeField, offsetField, std::vector<unsigned char>(bytes, bytes + size)});
    }
    // With its terminating zero, as TAPI counts string sizes.
    void AddString(DWORD* sizeField, DWORD* offsetField, const std::string& text) {
        Add(sizeField, offsetField, text.c_str(), text.size() + 1);
    }

    // Returns true when everything fitted.
    bool Finish() {
        DWORD needed = fixedSize_;
        for (const Piece& piece : pieces_) {
            needed += static_cast<DWORD>(piece.data.size());
        }
        const bool fits = needed <= TotalSize(base_);
        DWORD used = fixedSize_;
        for (const Piece& piece : pieces_) {
            if (fits && !piece.data.empty()) {
                std::memcpy(base_ + used, piece.data.data(), piece.data.size());
                *piece.size = static_cast<DWORD>(piece.data.size());
                *piece.offset = used;
                used += static_cast<DWORD>(piece.data.size());
            } else {
                *piece.size = 0;
                *piece.offset = 0;
            }
        }
        std::memcpy(base_ + sizeof(DWORD), &needed, sizeof needed);
        std::memcpy(base_ + 2 * sizeof(DWORD), &used, sizeof used);
        return fits;
    }

private:
    struct Piece {
        DWORD* size;
        DWORD* offset;
        std::vector<unsigned char> data;
    };
    unsigned char* base_;
    DWORD fixedSize_;
    std::vector<Piece> pieces_;
};

// Fixed-part sizes by negotiated API version: a TAPI 2.0 program's buffers end where the
// 2.0 structures end, and nothing may be written beyond that.
inline DWORD LineDevCapsFixedSize(DWORD version) {
    if (version < 0x00020002)
        return offsetof(LINEDEVCAPS, PermanentLineGuid);
    if (version < 0x00030000)
        return offsetof(LINEDEVCAPS, dwAddressTypes);
    return sizeof(LINEDEVCAPS);
}
inline DWORD PhoneCapsFixedSize(DWORD version) {
    if (version < 0x00020002)
        return offsetof(PHONECAPS, PermanentPhoneGuid);
    return sizeof(PHONECAPS);
}
inline DWORD LineCallInfoFixedSize(DWORD version) {
    if (version < 0x00030000)
        return offsetof(LINECALLINFO, dwCallerIDAddressType);
    return sizeof(LINECALLINFO);
}
inline DWORD LineCallParamsFixedSize(DWORD version) {
    if (version < 0x00030000)
        return offsetof(LINECALLPARAMS, dwAddressType);
    return sizeof(LINECALLPARAMS);
}
static_assert(offsetof(LINECALLPARAMS, dwAddressType) == 176, "TAPI 2.0 LINECALLPARAMS");

}  // namespace simmodem
