// The modem's costs under Wine with the simulated voice modem: loading a 1,000-entry phone
// book, a missed lookup among 10,000 entries, and one reset (line closed with its thread,
// line opened, thread started).
#include <windows.h>

#include <fstream>
#include <string>

#include "core/ExecutableDirectory.h"
#include "bench/WineBench.h"
#include "modem/ContactList.h"
#include "modem/ModemPhone.h"

namespace {

void WriteBook(const std::string& path, int entries) {
    std::ofstream file(path, std::ios::trunc);
    for (int i = 0; i < entries; ++i) {
        file << "[Contact " << i << "]\nPhone_Home=0" << 1000000 + i << "\nPhone_Office=0"
             << 2000000 + i << "\nPhone_Mobile=0" << 3000000 + i << "\n";
    }
}

}  // namespace

int main() {
    const std::string book = PathBesideThisProgram("\\Bookmark.ini");
    WriteBook(book, 1000);
    {
        // No window: the posts of a benchmark go nowhere.
        ModemPhone phone(nullptr);
        bench::ReportMedian("LoadPhoneBook, 1,000 entries", 5, [&] { phone.LoadPhoneBook(); });
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
