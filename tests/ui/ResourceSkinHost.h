// A stand-in window whose pictures are the program's own, decoded from its resources with
// GDI+ (the test or benchmark links the resources and keeps GDI+ started).
#pragma once

#include <windows.h>

#include "tests/ui/SkinFakes.h"
#include "ui/SkinImage.h"

namespace ui::testing {

class ResourceSkinHost : public FakeSkinHost {
public:
    bool LoadPicture(SkinImage& image, const char* name) override {
        return image.Load(name, "PNG", GetModuleHandleW(nullptr));
    }
};

}  // namespace ui::testing
