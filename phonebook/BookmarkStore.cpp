// BookmarkStore on the kernel32 profile functions.
#include "phonebook/BookmarkStore.h"

#include <windows.h>

#include <mbstring.h>

namespace {

// Buffers start at this size and grow by it until the text fits.
constexpr uint32_t kBufferStep = 512;

// An empty key list for WritePrivateProfileSectionA: double zero-terminated.
constexpr char kNoKeys[] = "\0";

// Writes section with no keys, at the end of the file when it is new, creating the file.
// Windows does all that for an empty key list; Wine's profile code leaves a missing section
// (and file) missing, so a key is written and removed again, which leaves the empty section
// on both.
bool WriteEmptySection(const char* section, const char* file) {
    if (!WritePrivateProfileSectionA(section, kNoKeys, file)) {
        return false;
    }
    constexpr const char* kTransientKey = "#@@#";
    if (!WritePrivateProfileStringA(section, kTransientKey, "", file)) {
        return false;
    }
    return WritePrivateProfileStringA(section, kTransientKey, nullptr, file) != FALSE;
}

}  // namespace

void BookmarkStore::SetFile(const char* path) {
    if (path != nullptr) {
        path_ = path;
    } else if (path_) {
        path_->clear();
    } else {
        path_.emplace();
    }
}

// An empty path would send the profile functions to win.ini in the Windows directory.
const char* BookmarkStore::FilePath() const {
    return path_ && !path_->empty() ? path_->c_str() : nullptr;
}

void BookmarkStore::Probe() {
    const char* file = FilePath();
    // A failed probe only means no file could be created; reading goes on regardless. The
    // section is removed even then, in case a later step of the write failed.
    WriteEmptySection(kProbeSection, file);
    WritePrivateProfileStringA(kProbeSection, nullptr, "", file);
}

uint32_t BookmarkStore::ReadSectionNames() {
    const char* file = FilePath();
    if (file == nullptr) {
        return 2;
    }
    Probe();
    uint32_t size = kBufferStep;
    std::vector<char> buffer;
    for (;;) {
        buffer.assign(size + 1, '\0');
        const DWORD count = GetPrivateProfileSectionNamesA(buffer.data(), size, file);
        // A list that did not fit comes back as size - 2 bytes.
        if (count + 2 < size) {
            return count + 2;
        }
        size += kBufferStep;
    }
}

uint32_t BookmarkStore::ReadSectionNames(std::vector<char>& list, uint32_t size) {
    list.assign(size + 1, '\0');
    const char* file = FilePath();
    if (file == nullptr) {
        return 0;
    }
    Probe();
    return GetPrivateProfileSectionNamesA(list.data(), size, file);
}

std::vector<std::string> BookmarkStore::ListNames() {
    std::vector<std::string> names;
    const uint32_t size = ReadSectionNames();
    if (size == 0) {
        return names;
    }
    std::vector<char> list;
    ReadSectionNames(list, size);
    ForEachName(list, [&names](const char* name) {
        names.emplace_back(name);
        return true;
    });
    return names;
}

bool BookmarkStore::NameExists(const char* name) {
    if (name == nullptr) {
        return false;
    }
    const uint32_t size = ReadSectionNames();
    if (size == 0) {
        return false;
    }
    std::vector<char> list;
    ReadSectionNames(list, size);
    const auto* wanted = reinterpret_cast<const unsigned char*>(name);
    return !ForEachName(list, [wanted](const char* section) {
        return _mbsicmp(reinterpret_cast<const unsigned char*>(section), wanted) != 0;
    });
}

bool BookmarkStore::CreateSection(const char* name, bool failIfExists) {
    const char* file = FilePath();
    if (name == nullptr || file == nullptr) {
        return false;
    }
    if (failIfExists && NameExists(name)) {
        return false;
    }
    // Removing a section that is not there is no failure worth reporting.
    WritePrivateProfileStringA(name, nullptr, nullptr, file);
    return WriteEmptySection(name, file);
}

bool BookmarkStore::DeleteSection(const char* name) {
    const char* file = FilePath();
    if (name == nullptr || file == nullptr) {
        return false;
    }
    return WritePrivateProfileStringA(name, nullptr, nullptr, file) != FALSE;
}

bool BookmarkStore::WriteValue(const char* section, const char* key, const char* value) {
    const char* file = FilePath();
    if (section == nullptr || key == nullptr || file == nullptr) {
        return false;
    }
    // A null value would delete the key instead.
    return WritePrivateProfileStringA(section, key, value != nullptr ? value : "", file) != FALSE;
}

std::string BookmarkStore::ReadValue(const char* section, const char* key,
                                     const char* defaultValue) {
    const char* fallback = defaultValue != nullptr ? defaultValue : "";
    const char* file = FilePath();
    // A null section or key would make the profile function list names instead.
    if (section == nullptr || key == nullptr || file == nullptr) {
        return fallback;
    }
    uint32_t size = kBufferStep;
    std::vector<char> buffer;
    for (;;) {
        buffer.assign(size + 1, '\0');
        const DWORD count =
            GetPrivateProfileStringA(section, key, fallback, buffer.data(), size, file);
        // A value that did not fit comes back as size - 1 bytes.
        if (count + 1 < size) {
            return buffer.data();
        }
        size += kBufferStep;
    }
}

bool BookmarkStore::ForEachName(const std::vector<char>& list,
                                const std::function<bool(const char*)>& visitor) {
    if (list.empty() || !visitor) {
        return false;
    }
    size_t at = 0;
    while (at < list.size() && list[at] != '\0') {
        // A list without its final zero bytes ends at its last byte.
        size_t end = at;
        while (end < list.size() && list[end] != '\0') {
            ++end;
        }
        const std::string name(list.data() + at, end - at);
        if (!visitor(name.c_str())) {
            return false;
        }
        at = end + 1;
    }
    return true;
}

bool BookmarkStore::SaveEntry(const char* name, const char* home, const char* office,
                              const char* mobile) {
    if (!NameExists(name)) {
        // A section that could not be written makes the key writes below fail as well.
        CreateSection(name, true);
    }
    const bool homeWritten = WriteValue(name, kHomeKey, home);
    const bool officeWritten = WriteValue(name, kOfficeKey, office);
    const bool mobileWritten = WriteValue(name, kMobileKey, mobile);
    return homeWritten && officeWritten && mobileWritten;
}
