// One phone-book entry as ModemPhone keeps it: a section of Bookmark.ini and its numbers.
#pragma once

#include <string>

struct ContactEntry {
    int index = 0;       // 0-based position of the section in the file
    std::string name;    // the section name
    std::string home;    // "Phone_Home", "" when missing
    std::string office;  // "Phone_Office", "" when missing
    std::string mobile;  // "Phone_Mobile", "" when missing
};
