// UTF-8 command-line words and script files.
#include "sim/skype/CommandLine.h"

#include <windows.h>
#include <shellapi.h>

#include <stdexcept>

#include "framework/Handles.h"

namespace skypesim {
namespace {

std::string ToUtf8(const wchar_t* text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return std::string();
    }
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    out.resize(static_cast<size_t>(size - 1));
    return out;
}

std::wstring ToWide(const std::string& text) {
    int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    if (size <= 0) {
        return std::wstring();
    }
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, out.data(), size);
    out.resize(static_cast<size_t>(size - 1));
    return out;
}

}  // namespace

std::vector<std::string> Utf8Arguments() {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> words;
    if (!argv) {
        return words;
    }
    for (int i = 0; i < count; ++i) {
        words.push_back(ToUtf8(argv[i]));
    }
    LocalFree(argv);
    return words;
}

std::vector<std::string> ReadScript(const std::string& utf8Path) {
    fw::FileHandle file(CreateFileW(ToWide(utf8Path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        throw std::runtime_error("cannot open " + utf8Path);
    }
    std::string content;
    char buffer[4096];
    DWORD read = 0;
    for (;;) {
        if (!ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr)) {
            throw std::runtime_error("cannot read " + utf8Path);
        }
        if (read == 0) {
            break;
        }
        content.append(buffer, read);
    }
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos) {
            end = content.size();
        }
        std::string line = content.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        lines.push_back(line);
    }
    return lines;
}

}  // namespace skypesim
