// Each service is optional: looked up once in its module, and the system's one scale stands in
// where it is missing.
#include "framework/Dpi.h"

#include <cwchar>

#include "framework/Handles.h"

namespace fw {

namespace {

template <class Function>
Function Lookup(const wchar_t* module, const char* name) {
    HMODULE loaded = GetModuleHandleW(module);
    if (!loaded) {
        // By its full path: where the system has none (shcore before Windows 8.1), a search by
        // name would try the program's folder and the current one, where anyone may put one.
        wchar_t path[MAX_PATH];
        const UINT length = GetSystemDirectoryW(path, MAX_PATH);
        if (length > 0 && length + 1 + wcslen(module) < MAX_PATH) {
            wcscat(wcscat(path, L"\\"), module);
            loaded = LoadLibraryW(path);  // kept loaded for the process's life
        }
    }
    return loaded
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(loaded, name)))
               : nullptr;
}

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
using SetDialogDpiChangeBehaviorFunction = BOOL(WINAPI*)(HWND, int, int);

constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
constexpr int kDisableAll = 1;    // DDC_DISABLE_ALL

int Valid(int dpi) {
    return dpi > 0 ? dpi : SystemDpi();
}

int MetricForDpi(int index, int dpi) {
    static const auto forDpi =
        Lookup<GetSystemMetricsForDpiFunction>(L"user32.dll", "GetSystemMetricsForDpi");
    if (forDpi) {
        return forDpi(index, static_cast<UINT>(dpi));
    }
    return MulDiv(GetSystemMetrics(index), dpi, SystemDpi());
}

}  // namespace

int SystemDpi() {
    WindowDc screen(nullptr);
    const int dpi = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSX) : 0;
    return dpi > 0 ? dpi : 96;
}

int WindowDpi(HWND window) {
    static const auto forWindow = Lookup<GetDpiForWindowFunction>(L"user32.dll", "GetDpiForWindow");
    if (forWindow && window) {
        return Valid(static_cast<int>(forWindow(window)));
    }
    return SystemDpi();
}

int DpiAtPoint(POINT point) {
    static const auto forMonitor =
        Lookup<GetDpiForMonitorFunction>(L"shcore.dll", "GetDpiForMonitor");
    UINT x = 0;
    UINT y = 0;
    if (forMonitor && SUCCEEDED(forMonitor(MonitorFromPoint(point, MONITOR_DEFAULTTOPRIMARY),
                                           kEffectiveDpi, &x, &y))) {
        return Valid(static_cast<int>(x));
    }
    return SystemDpi();
}

int SmallIconSize(int dpi) {
    return MetricForDpi(SM_CXSMICON, Valid(dpi));
}

int LargeIconSize(int dpi) {
    return MetricForDpi(SM_CXICON, Valid(dpi));
}

void KeepDialogLayout(HWND dialog) {
    static const auto keep =
        Lookup<SetDialogDpiChangeBehaviorFunction>(L"user32.dll", "SetDialogDpiChangeBehavior");
    if (keep && dialog) {
        keep(dialog, kDisableAll, kDisableAll);
    }
}

}  // namespace fw
