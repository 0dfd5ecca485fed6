// The modem's costs under Wine with the simulated voice modem: loading a 1,000-entry phone
// book (and, beside it, the same book read the former way, one profile-function call per
// value), saving one entry into it, a missed lookup among 10,000 entries, and one reset
// (line closed with its thread, line opened, thread started).
#include <windows.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "bench/WineBench.h"
#include "core/ExecutableDirectory.h"
#include "modem/ContactList.h"
#include "modem/ModemPhone.h"
#include "phonebook/BookmarkStore.h"

namespace {

void WriteBook(const std::string& path, int entries) {
    std::ofstream file(path, std::ios::trunc);
    for (int i = 0; i < entries; ++i) {
        file << "[Contact " << i << "]\nPhone_Home=0" << 1000000 + i << "\nPhone_Office=0"
             << 2000000 + i << "\nPhone_Mobile=0" << 3000000 + i << "\n";
    }
}

// A text from a profile function, its buffer grown until the text fits.
template <class Read>
std::string ReadGrowing(Read read) {
    for (DWORD size = 512;; size += 512) {
        std::vector<char> buffer(size + 1, '\0');
        if (read(buffer.data(), size) + 2 < size) {
            return std::string(buffer.data(), buffer.size());
        }
    }
}

// The book through the profile functions alone, as it was loaded before: the probe, the name
// list, then one call per value. The probe leaves the file freshly written, and Wine parses a
// file written in the last two seconds again at every call.
size_t ReadBookValueByValue(const std::string& path) {
    const char* probe = BookmarkStore::kProbeSection;
    WritePrivateProfileStringA(probe, probe, "", path.c_str());
    WritePrivateProfileStringA(probe, nullptr, nullptr, path.c_str());
    const std::string list = ReadGrowing([&](char* buffer, DWORD size) {
        return GetPrivateProfileSectionNamesA(buffer, size, path.c_str());
    });
    size_t values = 0;
    for (const char* name = list.c_str(); *name != '\0'; name += strlen(name) + 1) {
        for (const char* key :
             {BookmarkStore::kHomeKey, BookmarkStore::kOfficeKey, BookmarkStore::kMobileKey}) {
            values +=
                ReadGrowing([&](char* buffer, DWORD size) {
                    return GetPrivateProfileStringA(name, key, "", buffer, size, path.c_str());
                }).empty()
                    ? 0
                    : 1;
        }
    }
    return values;
}

}  // namespace

int main() {
    const std::string book = PathBesideThisProgram("\\Bookmark.ini");
    WriteBook(book, 1000);
    {
        // No window: the posts of a benchmark go nowhere.
        ModemPhone phone(nullptr);
        bench::ReportMedian("LoadPhoneBook, 1,000 entries", 9, [&] { phone.LoadPhoneBook(); });
        bench::ReportMedian("  the former way, a call per value", 3,
                            [&] { ReadBookValueByValue(book); });
        BookmarkStore store;
        store.SetFile(book.c_str());
        int number = 0;
        bench::ReportMedian("SaveEntry into 1,000 entries", 9, [&] {
            store.SaveEntry("contact 500", std::to_string(++number).c_str(), "2", "3");
        });
        bench::ReportMedian("Reset (close, reopen, thread restarted)", 20, [&] { phone.Reset(); });
    }
    DeleteFileA(book.c_str());

    ContactList contacts;
    for (int i = 0; i < 10000; ++i) {
        contacts.Add({i, "Contact " + std::to_string(i), "01" + std::to_string(i),
                      "02" + std::to_string(i), "03" + std::to_string(i)});
    }
    std::string found;
    bench::ReportMedian("LookupName miss, 10,000 entries", 101,
                        [&] { found = contacts.LookupName("0999999999"); });
    return found.empty() ? 0 : 1;
}
