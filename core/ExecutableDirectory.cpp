#include "core/ExecutableDirectory.h"

std::string PathBesideExecutable(const std::string& exePath, const std::string& fileName) {
    const size_t slash = exePath.rfind('\\');
    const std::string directory = slash == std::string::npos ? exePath : exePath.substr(0, slash);
    return directory + fileName;
}
