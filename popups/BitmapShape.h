// Window shapes from pictures: the region that holds exactly a bitmap's pixels that are not
// of a key colour.
#pragma once

#include <windows.h>

#include <optional>

#include "framework/Handles.h"
#include "popups/ShapeRuns.h"

// The runs of `picture` without the pixels of `key`, in the picture's own coordinates, read
// in the bitmap's own pixel format, and the picture's size in `pictureSize`. Formats that
// cannot be read faithfully give the whole picture's rectangle. None (and a size of 0 × 0)
// when the bitmap cannot be read at all.
std::optional<shape::RegionBlock> BuildShapeBlock(HBITMAP picture, COLORREF key, SIZE* pictureSize);

// The same shape as a region, made in one platform call from the whole block; no region when
// the bitmap cannot be read.
fw::RegionHandle BuildShape(HBITMAP picture, COLORREF key, SIZE* pictureSize);
