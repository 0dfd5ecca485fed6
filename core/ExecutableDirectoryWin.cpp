// The running program's own path, whatever its length.
#include <windows.h>

#include <vector>

#include "core/ExecutableDirectory.h"

std::string PathBesideThisProgram(const std::string& fileName) {
    // MAX_PATH first; a longer installation path grows the buffer instead of being cut off.
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return PathBesideExecutable(std::string(), fileName);
        }
        if (length < buffer.size()) {
            return PathBesideExecutable(std::string(buffer.data(), length), fileName);
        }
        buffer.resize(buffer.size() * 2);
    }
}
