// The running program's own path, whatever its length, in a form the ...A functions open.
#include <windows.h>

#include <vector>

#include "core/ExecutableDirectory.h"

namespace {

// The ANSI text of `path`, and whether the code page carries every character of it. A
// UTF-8 code page carries all, and takes neither flags nor the question.
std::string Ansi(const std::wstring& path, bool* exact) {
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL lossy = FALSE;
    const int length = static_cast<int>(path.size());
    const int bytes = WideCharToMultiByte(CP_ACP, flags, path.data(), length, nullptr, 0, nullptr,
                                          utf8 ? nullptr : &lossy);
    std::string ansi(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) {
        WideCharToMultiByte(CP_ACP, flags, path.data(), length, ansi.data(), bytes, nullptr,
                            nullptr);
    }
    *exact = bytes > 0 && !lossy;
    return ansi;
}

}  // namespace

std::string AnsiPathOf(const std::wstring& existingPath) {
    bool exact = false;
    std::string ansi = Ansi(existingPath, &exact);
    if (exact || existingPath.empty()) {
        return ansi;
    }
    // Names of another script come back as "?" and open nothing; their short forms are ASCII
    // wherever the volume keeps short names.
    const DWORD needed = GetShortPathNameW(existingPath.c_str(), nullptr, 0);
    if (needed == 0) {
        return ansi;
    }
    std::vector<wchar_t> shortPath(needed);
    const DWORD length = GetShortPathNameW(existingPath.c_str(), shortPath.data(), needed);
    if (length == 0 || length >= needed) {
        return ansi;
    }
    std::string shortAnsi = Ansi(std::wstring(shortPath.data(), length), &exact);
    return exact ? shortAnsi : ansi;
}

std::string PathBesideThisProgram(const std::string& fileName) {
    // MAX_PATH first; a longer installation path grows the buffer instead of being cut off.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return PathBesideExecutable(std::string(), fileName);
        }
        if (length < buffer.size()) {
            return PathBesideExecutable(AnsiPathOf(std::wstring(buffer.data(), length)),
                                        fileName);
        }
        buffer.resize(buffer.size() * 2);
    }
}
