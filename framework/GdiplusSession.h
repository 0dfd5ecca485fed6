// GDI+ started for the life of this object (version 1, no debug callback, background
// thread and external codecs not suppressed).
#pragma once

#include <cstdint>

namespace fw {

class GdiplusSession {
public:
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

    bool Started() const { return token_ != 0; }

private:
    uintptr_t token_ = 0;
};

}  // namespace fw
