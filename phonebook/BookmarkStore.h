// BookmarkStore: the phone book in Bookmark.ini, one section per contact. Reads take the file in
// one pass, as the system's profile functions would read it, and never write: the profile
// functions save the whole file again on any write, losing the person's blank lines, spacing
// and whatever follows a zero byte in a line. Writes go through those functions and are
// checked on the file afterwards. It caches nothing; every call goes to the file.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace profile {
class Document;
}

// One contact with its three numbers ("" for a missing key).
struct BookmarkEntry {
    std::string name;
    std::string home;
    std::string office;
    std::string mobile;
};

// Texts are ANSI byte strings. A null pointer stands for "none" where an argument may be
// absent. Without a file path (before SetFile, or after SetFile(nullptr)) nothing is read
// or written: reads give an empty book and the defaults, writes report failure.
class BookmarkStore {
public:
    // Key names of a contact's three numbers, in the order a new section stores them.
    static constexpr const char* kHomeKey = "Phone_Home";
    static constexpr const char* kOfficeKey = "Phone_Office";
    static constexpr const char* kMobileKey = "Phone_Mobile";
    // Reserved: earlier versions wrote and removed a section of this name around every read
    // (which made the profile functions save the whole file again). A leftover one is listed
    // like any other section.
    static constexpr const char* kProbeSection = "#@@#";

    BookmarkStore() = default;
    virtual ~BookmarkStore() = default;

    // Takes a copy of path; null empties the path.
    void SetFile(const char* path);
    const std::optional<std::string>& File() const { return path_; }

    // The size a buffer needs for every section name (the name list's byte count + 2); 2 for
    // an empty or missing file, which stays missing.
    uint32_t ReadSectionNames();
    // Fills list (resized to size + 1 zero bytes) with the platform's name list, each name
    // ended by a zero byte and the list by one more, and returns the platform's count
    // (size - 2 when the list did not fit).
    uint32_t ReadSectionNames(std::vector<char>& list, uint32_t size);

    // Every section name, in file order.
    std::vector<std::string> ListNames();
    // True when some section is the named one, ignoring letter case (any letter, not only
    // A to Z) and surrounding white space, as the profile functions address sections.
    bool NameExists(const char* name);
    // Every contact in file order with the numbers ReadValue would give for its name: the
    // whole book from one reading of the file.
    std::vector<BookmarkEntry> ReadEntries();

    // The writes below return true only when the file was written and reads back as
    // written; after a failure LastWriteError() says why. A read-only file is never written.

    // Writes an empty section at the end of the file, removing any section of that name
    // first. With failIfExists and an existing name, writes nothing and returns false.
    bool CreateSection(const char* name, bool failIfExists);
    // Removes the section with all its keys.
    bool DeleteSection(const char* name);
    // Sets key=value in section, creating file and section as needed; a null value writes
    // an empty one. Without section or key nothing is written.
    bool WriteValue(const char* section, const char* key, const char* value);
    // The key's value read whole, else the default (null counts as ""). Without section or
    // key the file is not read.
    std::string ReadValue(const char* section, const char* key, const char* defaultValue = nullptr);

    // Calls visitor with each name of a name list, in order, until it returns false (then
    // the result is false) or the list ends at an empty name or at its last byte (then
    // true). An empty list buffer or no visitor gives false.
    static bool ForEachName(const std::vector<char>& list,
                            const std::function<bool(const char*)>& visitor);

    // Writes one contact (a name of white space only, or the probe's, is refused with
    // ERROR_INVALID_NAME): updates the section of that name in place when it exists
    // (ignoring case; the section keeps its spelling, place and other keys), else appends a
    // new one; keys in the order home, office, mobile. True when every write succeeded.
    bool SaveEntry(const char* name, const char* home, const char* office, const char* mobile);

    // The system error code of the last write operation's failure (ERROR_ACCESS_DENIED for a
    // read-only file, ERROR_DISK_FULL or ERROR_WRITE_FAULT when the file did not read back as
    // written); 0 after a success.
    uint32_t LastWriteError() const { return lastWriteError_; }

private:
    // The path to hand to the profile functions, or null when there is none.
    const char* FilePath() const;
    // The file as the name lists see it; empty without a path.
    profile::Document ReadDocument() const;
    std::vector<char> NameList(const profile::Document& document) const;
    // The spelling of the section the name addresses: the one the profile functions would
    // take, else the first that matches ignoring the case of any letter.
    std::optional<std::string> ExistingName(const profile::Document& document,
                                            const char* name) const;

    // Starts a write operation: false, with the reason kept, when there is no path or the
    // file is read-only.
    bool BeginWrite();
    // One profile-function write; false, with the platform's reason kept, when refused.
    bool WriteString(const char* section, const char* key, const char* value);
    bool WriteEmptySection(const char* section);
    // Ends a write operation the platform accepted, by what the file read back shows.
    bool Confirm(bool readsBackAsWritten);

    std::optional<std::string> path_;
    uint32_t lastWriteError_ = 0;
    uint32_t diskFullSeen_ = 0;
};
