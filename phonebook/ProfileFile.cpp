// One read of the whole file instead of one profile-function call per value: under Wine each
// call opens and may parse the file again.
#include "phonebook/ProfileFile.h"

#include <windows.h>

#include "framework/Handles.h"

namespace profile {

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 text is handed to the ...W forms");

// A phone book is some kilobytes; a file past this is no phone book and is not loaded whole.
constexpr LONGLONG kLargestFile = 64LL << 20;

std::string ReadBytes(const char* path) {
    // The sharing the profile functions use, so that a file they can read can be read here.
    fw::FileHandle file(CreateFileA(path, GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.Get(), &size) || size.QuadPart > kLargestFile) {
        return {};
    }
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    size_t filled = 0;
    while (filled < bytes.size()) {
        DWORD read = 0;
        if (!::ReadFile(file.Get(), &bytes[filled], static_cast<DWORD>(bytes.size() - filled),
                        &read, nullptr) ||
            read == 0) {
            break;
        }
        filled += read;
    }
    bytes.resize(filled);
    return bytes;
}

Text Decode(UINT codePage, std::string_view bytes) {
    if (bytes.empty()) {
        return {};
    }
    const int length = static_cast<int>(bytes.size());
    const int units = MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
    if (units <= 0) {
        return {};
    }
    Text text(static_cast<size_t>(units), u'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), length, reinterpret_cast<wchar_t*>(&text[0]),
                        units);
    return text;
}

}  // namespace

Document ReadFile(const char* path) {
    const std::string bytes = ReadBytes(path);
    const EncodingMark mark = DetectEncoding(bytes);
    const std::string_view body = std::string_view(bytes).substr(mark.length);
    switch (mark.encoding) {
        case Encoding::Utf8:
            return Document::Parse(Decode(CP_UTF8, body));
        case Encoding::Utf16LE:
            return Document::Parse(DecodeUtf16(body, false));
        case Encoding::Utf16BE:
            return Document::Parse(DecodeUtf16(body, true));
        case Encoding::Ansi:
            break;
    }
    return Document::Parse(Decode(CP_ACP, body));
}

Text FromAnsi(std::string_view text) {
    return Decode(CP_ACP, text);
}

std::string ToAnsi(TextView text) {
    if (text.empty()) {
        return {};
    }
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int units = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(CP_ACP, 0, wide, units, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return {};
    }
    std::string ansi(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, units, &ansi[0], length, nullptr, nullptr);
    return ansi;
}

}  // namespace profile
