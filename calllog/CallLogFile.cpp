#include "calllog/CallLogFile.h"

#include "calllog/CallHistory.h"
#include "calllog/CallLogText.h"
#include "framework/Handles.h"

namespace calllog {

namespace {

// Readers and writers of the log never lock each other (or an editor) out.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

DWORD WriteAll(HANDLE file, std::string_view text) {
    DWORD written = 0;
    if (!WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
        return GetLastError();
    }
    return written == text.size() ? 0 : ERROR_WRITE_FAULT;
}

}  // namespace

FileRead ReadLogFile(const std::string& path, size_t maxBytes) {
    FileRead read;
    fw::FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            return read;
        }
        read.status = FileRead::Failed;
        read.error = error;
        return read;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size)) {
        read.status = FileRead::Failed;
        read.error = GetLastError();
        return read;
    }
    if (static_cast<unsigned long long>(size.QuadPart) > maxBytes) {
        read.status = FileRead::TooLarge;
        return read;
    }
    read.bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!read.bytes.empty() && !ReadFile(file.Get(), read.bytes.data(),
                                         static_cast<DWORD>(read.bytes.size()), &got, nullptr)) {
        read.status = FileRead::Failed;
        read.error = GetLastError();
        read.bytes.clear();
        return read;
    }
    read.bytes.resize(got);  // a file that shrank meanwhile
    read.status = FileRead::Read;
    return read;
}

DWORD AppendToLogFile(const std::string& path, std::string_view text, bool* begun) {
    // FILE_APPEND_DATA without FILE_WRITE_DATA: every write lands at the end of the file.
    fw::FileHandle file(CreateFileA(path.c_str(), GENERIC_READ | FILE_APPEND_DATA, kShareAll,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return GetLastError();
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size)) {
        return GetLastError();
    }
    std::string whole;
    if (begun) {
        *begun = size.QuadPart == 0;
    }
    if (size.QuadPart == 0) {
        whole = std::string(kHeaderLine) + std::string(kLineEnd);
    } else {
        char last = '\n';
        DWORD got = 0;
        LARGE_INTEGER at{};
        at.QuadPart = size.QuadPart - 1;
        if (!SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN) ||
            !ReadFile(file.Get(), &last, 1, &got, nullptr)) {
            return GetLastError();
        }
        if (got == 1 && last != '\n') {
            whole = kLineEnd;
        }
    }
    whole += text;
    if (const DWORD error = WriteAll(file.Get(), whole)) {
        return error;
    }
    return FlushFileBuffers(file.Get()) ? 0 : GetLastError();
}

DWORD ReplaceLogFile(const std::string& path, std::string_view text) {
    const std::string fresh = path + ".new";
    {
        fw::FileHandle file(CreateFileA(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            return GetLastError();
        }
        DWORD error = WriteAll(file.Get(), text);
        if (!error && !FlushFileBuffers(file.Get())) {
            error = GetLastError();
        }
        if (error) {
            file.Reset();
            DeleteFileA(fresh.c_str());
            return error;
        }
    }
    if (!MoveFileExA(fresh.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        DeleteFileA(fresh.c_str());
        return error;
    }
    return 0;
}

}  // namespace calllog
