// BookmarkStore: reads through one pass over the file, never writing, and writes through the
// kernel32 profile functions, each write checked on the file read back.
#include "phonebook/BookmarkStore.h"

#include <windows.h>

#include <algorithm>

#include "phonebook/ProfileFile.h"
#include "phonebook/ProfileText.h"
#include "phonebook/WriteCheck.h"

namespace {

// An empty key list for WritePrivateProfileSectionA: double zero-terminated.
constexpr char kNoKeys[] = "\0";

profile::Text Wide(const char* text) {
    return profile::FromAnsi(text);
}

// The name as the profile functions store a section they create: without its surrounding
// white space. Deleting by that spelling removes what reads and writes address by the name.
std::string Trimmed(const char* name) {
    return profile::ToAnsi(profile::Trim(Wide(name)));
}

// A name that is nothing but white space addresses the lines before the first section; the
// probe's section is removed by the next reading.
bool IsContactName(const char* name) {
    if (name == nullptr) {
        return false;
    }
    const profile::Text trimmed(profile::Trim(Wide(name)));
    return !trimmed.empty() && trimmed != Wide(BookmarkStore::kProbeSection);
}

bool IsDiskFull(DWORD error) {
    return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL;
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

bool BookmarkStore::BeginWrite() {
    diskFullSeen_ = 0;
    const char* file = FilePath();
    if (file == nullptr) {
        lastWriteError_ = ERROR_PATH_NOT_FOUND;
        return false;
    }
    // Wine run as root writes a read-only file regardless; Windows refuses it.
    const DWORD attributes = GetFileAttributesA(file);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        lastWriteError_ = ERROR_ACCESS_DENIED;
        return false;
    }
    return true;
}

bool BookmarkStore::WriteString(const char* section, const char* key, const char* value) {
    SetLastError(ERROR_SUCCESS);
    const bool written = WritePrivateProfileStringA(section, key, value, FilePath()) != FALSE;
    const DWORD error = GetLastError();
    if (!written) {
        lastWriteError_ = error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT;
    } else if (IsDiskFull(error)) {
        // Wine's profile functions drop their own write errors but leave this behind.
        diskFullSeen_ = error;
    }
    return written;
}

// Windows does all that for an empty key list; Wine's profile code leaves a missing section
// (and file) missing, so a key is written and removed again, which leaves the empty section
// on both.
bool BookmarkStore::WriteEmptySection(const char* section) {
    SetLastError(ERROR_SUCCESS);
    if (!WritePrivateProfileSectionA(section, kNoKeys, FilePath())) {
        lastWriteError_ = GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_WRITE_FAULT;
        return false;
    }
    constexpr const char* kTransientKey = "#@@#";
    return WriteString(section, kTransientKey, "") && WriteString(section, kTransientKey, nullptr);
}

bool BookmarkStore::Confirm(bool readsBackAsWritten) {
    lastWriteError_ = readsBackAsWritten   ? 0
                      : diskFullSeen_ != 0 ? diskFullSeen_
                                           : ERROR_WRITE_FAULT;
    return readsBackAsWritten;
}

profile::Document BookmarkStore::ReadDocument() const {
    const char* file = FilePath();
    return file != nullptr ? profile::ReadFile(file) : profile::Document();
}

std::vector<char> BookmarkStore::NameList(const profile::Document& document) const {
    std::vector<char> list;
    for (const profile::Section& section : document.Sections()) {
        if (!section.name.empty()) {
            const std::string name = profile::ToAnsi(section.name);
            list.insert(list.end(), name.begin(), name.end());
            list.push_back('\0');
        }
    }
    list.push_back('\0');
    return list;
}

uint32_t BookmarkStore::ReadSectionNames() {
    // The list's bytes without its final zero, plus 2.
    return static_cast<uint32_t>(NameList(ReadDocument()).size()) + 1;
}

uint32_t BookmarkStore::ReadSectionNames(std::vector<char>& list, uint32_t size) {
    list.assign(size + 1, '\0');
    if (FilePath() == nullptr) {
        return 0;
    }
    const profile::Document document = ReadDocument();
    if (size == 0) {
        return 0;
    }
    // The wide list as the platform fills `size` characters: a name that does not fit is cut
    // so that the list still ends in two zeros, and the count is then size - 2.
    profile::Text wide;
    uint32_t count = 0;
    if (size > 1) {
        uint32_t room = size - 1;
        bool cut = false;
        for (const profile::Section& section : document.Sections()) {
            if (section.name.empty()) {
                continue;
            }
            const uint32_t needed = static_cast<uint32_t>(section.name.size()) + 1;
            if (needed >= room) {
                wide.append(section.name, 0, room - 1);
                wide.push_back(u'\0');
                cut = true;
                break;
            }
            wide.append(section.name);
            wide.push_back(u'\0');
            room -= needed;
        }
        count = cut ? size - 2 : static_cast<uint32_t>(wide.size());
        wide.push_back(u'\0');
    }
    if (count == 0) {
        return 0;
    }
    // Then into ANSI as the ...A form does it, into size - 1 bytes.
    const int bytes = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(wide.data()),
                                          static_cast<int>(count + 1), list.data(),
                                          static_cast<int>(size - 1), nullptr, nullptr);
    return bytes == 0 ? size - 2 : static_cast<uint32_t>(bytes) - 1;
}

std::vector<std::string> BookmarkStore::ListNames() {
    std::vector<std::string> names;
    if (FilePath() == nullptr) {
        return names;
    }
    ForEachName(NameList(ReadDocument()), [&names](const char* name) {
        names.emplace_back(name);
        return true;
    });
    return names;
}

std::optional<std::string> BookmarkStore::ExistingName(const profile::Document& document,
                                                       const char* name) const {
    const profile::Text wanted(profile::Trim(Wide(name)));
    // The section the profile functions themselves address by this name comes first, so that
    // of two whose names differ only in the case of other letters each keeps its own.
    const profile::Section* found = document.FindSection(wanted);
    if (found == nullptr || found->name.empty()) {
        found = nullptr;
        // Wine's profile functions fold A to Z only, Windows' more: comparing every letter the
        // system can fold finds the entry whatever letters differ in case.
        for (const profile::Section& section : document.Sections()) {
            if (!section.name.empty() &&
                CompareStringOrdinal(reinterpret_cast<const wchar_t*>(section.name.data()),
                                     static_cast<int>(section.name.size()),
                                     reinterpret_cast<const wchar_t*>(wanted.data()),
                                     static_cast<int>(wanted.size()), TRUE) == CSTR_EQUAL) {
                found = &section;
                break;
            }
        }
    }
    if (found == nullptr) {
        return std::nullopt;
    }
    // A spelling the ANSI code page cannot carry would address another section.
    std::string spelling = profile::ToAnsi(found->name);
    if (Wide(spelling.c_str()) != found->name) {
        return std::nullopt;
    }
    return spelling;
}

bool BookmarkStore::NameExists(const char* name) {
    if (name == nullptr || FilePath() == nullptr) {
        return false;
    }
    return ExistingName(ReadDocument(), name).has_value();
}

std::vector<BookmarkEntry> BookmarkStore::ReadEntries() {
    std::vector<BookmarkEntry> entries;
    if (FilePath() == nullptr) {
        return entries;
    }
    const profile::Document document = ReadDocument();
    const std::vector<char> list = NameList(document);
    ForEachName(list, [&](const char* name) {
        // Looked up by the listed spelling, as ReadValue would be: a duplicate name gives the
        // first section's numbers.
        const profile::Text section = Wide(name);
        const auto read = [&](const char* key) {
            return profile::ToAnsi(document.ReadString(section, Wide(key), u""));
        };
        entries.push_back({name, read(kHomeKey), read(kOfficeKey), read(kMobileKey)});
        return true;
    });
    return entries;
}

bool BookmarkStore::CreateSection(const char* name, bool failIfExists) {
    if (!IsContactName(name)) {
        lastWriteError_ = ERROR_INVALID_NAME;
        return false;
    }
    if (failIfExists && NameExists(name)) {
        lastWriteError_ = ERROR_ALREADY_EXISTS;
        return false;
    }
    if (!BeginWrite()) {
        return false;
    }
    const std::string spelling = Trimmed(name);
    const profile::Document before = profile::ReadFile(FilePath());
    const profile::Positions removed = profile::MatchingSections(before, Wide(name), true);
    // The platform removes one section per call. Removing one that is not there is no
    // failure worth reporting.
    for (size_t i = 0; i < std::max<size_t>(removed.size(), 1); ++i) {
        WriteString(spelling.c_str(), nullptr, nullptr);
    }
    if (!WriteEmptySection(spelling.c_str())) {
        return false;
    }
    const profile::Document after = profile::ReadFile(FilePath());
    return Confirm(profile::KeepsSections(before, after, removed, {Wide(spelling.c_str())}));
}

bool BookmarkStore::DeleteSection(const char* name) {
    if (name == nullptr) {
        lastWriteError_ = ERROR_INVALID_PARAMETER;
        return false;
    }
    if (!BeginWrite()) {
        return false;
    }
    const profile::Document before = profile::ReadFile(FilePath());
    if (!WriteString(Trimmed(name).c_str(), nullptr, nullptr)) {
        return false;
    }
    const profile::Document after = profile::ReadFile(FilePath());
    return Confirm(profile::KeepsSections(
        before, after, profile::MatchingSections(before, Wide(name), false), {}));
}

bool BookmarkStore::WriteValue(const char* section, const char* key, const char* value) {
    if (section == nullptr || key == nullptr) {
        lastWriteError_ = ERROR_INVALID_PARAMETER;
        return false;
    }
    if (!BeginWrite()) {
        return false;
    }
    // A null value would delete the key instead.
    const char* text = value != nullptr ? value : "";
    const std::string spelling = Trimmed(section);
    const profile::Document before = profile::ReadFile(FilePath());
    if (!WriteString(spelling.c_str(), key, text)) {
        return false;
    }
    const profile::Document after = profile::ReadFile(FilePath());
    const profile::Text wideSection = Wide(spelling.c_str());
    std::vector<profile::Text> appended;
    if (before.FindSection(wideSection) == nullptr) {
        appended.push_back(wideSection);
    }
    return Confirm(profile::KeepsSections(before, after, {}, appended) &&
                   profile::HoldsWrittenValue(after, wideSection, Wide(key), Wide(text)));
}

std::string BookmarkStore::ReadValue(const char* section, const char* key,
                                     const char* defaultValue) {
    const char* fallback = defaultValue != nullptr ? defaultValue : "";
    const char* file = FilePath();
    if (section == nullptr || key == nullptr || file == nullptr) {
        return fallback;
    }
    return profile::ToAnsi(
        profile::ReadFile(file).ReadString(Wide(section), Wide(key), Wide(fallback)));
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
    if (!IsContactName(name)) {
        lastWriteError_ = ERROR_INVALID_NAME;
        return false;
    }
    if (!BeginWrite()) {
        return false;
    }
    const profile::Document before = ReadDocument();
    // An existing entry is written under its own spelling, so that the profile functions
    // update it whatever letters differ in case, and never remove it to create it anew.
    const std::optional<std::string> existing = ExistingName(before, name);
    const std::string section = existing ? *existing : Trimmed(name);
    std::vector<profile::Text> appended;
    if (!existing) {
        // No section answers to the name in any letter case: none to remove first.
        if (!WriteEmptySection(section.c_str())) {
            return false;
        }
        appended.push_back(Wide(section.c_str()));
    }
    const std::pair<const char*, const char*> numbers[] = {
        {kHomeKey, home}, {kOfficeKey, office}, {kMobileKey, mobile}};
    for (const auto& [key, value] : numbers) {
        if (!WriteString(section.c_str(), key, value != nullptr ? value : "")) {
            return false;
        }
    }
    const profile::Document after = profile::ReadFile(FilePath());
    bool asWritten = profile::KeepsSections(before, after, {}, appended);
    for (const auto& [key, value] : numbers) {
        asWritten = asWritten && profile::HoldsWrittenValue(after, Wide(section.c_str()), Wide(key),
                                                            Wide(value != nullptr ? value : ""));
    }
    return Confirm(asWritten);
}
