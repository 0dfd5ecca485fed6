// A private folder under the temporary directory for the phone-book tests: files are written
// and read there byte for byte, and everything in it is removed at the end, read-only or not.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace booktest {

class BookFolder {
public:
    explicit BookFolder(const std::string& name) {
        char temp[MAX_PATH];
        EXPECT_NE(GetTempPathA(MAX_PATH, temp), 0u);
        folder_ =
            std::string(temp) + "voxtelo-" + name + "-" + std::to_string(GetCurrentProcessId());
        EXPECT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr)) << folder_ << " " << GetLastError();
    }
    ~BookFolder() {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder_ + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::string file = Path(found.cFileName);
                SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(file.c_str());
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        EXPECT_TRUE(RemoveDirectoryA(folder_.c_str())) << folder_ << " " << GetLastError();
    }
    BookFolder(const BookFolder&) = delete;
    BookFolder& operator=(const BookFolder&) = delete;

    std::string Path(const std::string& file) const { return folder_ + "\\" + file; }

private:
    std::string folder_;
};

inline bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace booktest
