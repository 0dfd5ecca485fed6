// Channel names, paths and pipe framing shared by the DLL's server and the control library.
#include "sim/modem/Channel.h"

#include <cctype>
#include <cstdint>

namespace simmodem {

bool IsValidChannelName(const std::string& channel) {
    if (channel.empty() || channel.size() > 64) {
        return false;
    }
    for (char c : channel) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_' && c != '.') {
            return false;
        }
    }
    return true;
}

std::string ChannelFromEnvironment() {
    char value[128];
    const DWORD length = GetEnvironmentVariableA(kChannelVariable, value, sizeof value);
    if (length == 0) {
        return kDefaultChannel;
    }
    if (length >= sizeof value || !IsValidChannelName(value)) {
        return "";
    }
    return value;
}

std::string PipeName(const std::string& channel) {
    return "\\\\.\\pipe\\voxtelo-simmodem-" + channel;
}

std::string ConfigFilePath(const std::string& channel) {
    char folder[MAX_PATH + 1];
    const DWORD length = GetTempPathA(sizeof folder, folder);
    std::string path = length > 0 && length < sizeof folder ? std::string(folder, length) : ".\\";
    if (path.back() != '\\') {
        path += '\\';
    }
    return path + "voxtelo-simmodem-" + channel + ".conf";
}

namespace {

bool WriteAll(HANDLE pipe, const char* data, size_t size) {
    while (size > 0) {
        DWORD written = 0;
        if (!WriteFile(pipe, data, static_cast<DWORD>(size), &written, nullptr) || written == 0) {
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

bool ReadAll(HANDLE pipe, char* data, size_t size) {
    while (size > 0) {
        DWORD read = 0;
        if (!ReadFile(pipe, data, static_cast<DWORD>(size), &read, nullptr) || read == 0) {
            return false;
        }
        data += read;
        size -= read;
    }
    return true;
}

}  // namespace

bool WriteFrame(HANDLE pipe, const std::string& text) {
    if (text.size() > kMaxFrame) {
        return false;
    }
    const uint32_t length = static_cast<uint32_t>(text.size());
    const char header[4] = {
        static_cast<char>(length & 0xFF), static_cast<char>((length >> 8) & 0xFF),
        static_cast<char>((length >> 16) & 0xFF), static_cast<char>((length >> 24) & 0xFF)};
    return WriteAll(pipe, header, sizeof header) && WriteAll(pipe, text.data(), text.size());
}

bool ReadFrame(HANDLE pipe, std::string* text) {
    unsigned char header[4];
    if (!ReadAll(pipe, reinterpret_cast<char*>(header), sizeof header)) {
        return false;
    }
    const uint32_t length =
        header[0] | (header[1] << 8) | (header[2] << 16) | (static_cast<uint32_t>(header[3]) << 24);
    if (length > kMaxFrame) {
        return false;
    }
    text->assign(length, '\0');
    return length == 0 || ReadAll(pipe, &(*text)[0], length);
}

}  // namespace simmodem
