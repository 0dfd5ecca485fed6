// Number-to-name lookup priority and exactness, and entry lookup by index.
#include <gtest/gtest.h>

#include <string>

#include "modem/ContactList.h"

namespace {

ContactList Book(std::initializer_list<ContactEntry> entries) {
    ContactList list;
    for (const ContactEntry& entry : entries) {
        list.Add(entry);
    }
    return list;
}

TEST(ContactList, LookupTriesEntriesInFileOrderAndHomeThenMobileThenOffice) {
    // Ann's mobile is Bob's home: Ann comes first in the file and wins.
    const ContactList book = Book({
        {0, "Ann", "1000", "1001", "2000"},
        {1, "Bob", "2000", "2001", "2002"},
        {2, "Cid", "3000", "3001", "3002"},
    });
    struct Row {
        const char* number;
        const char* name;
    };
    const Row rows[] = {
        {"1000", "Ann"}, {"1001", "Ann"}, {"2000", "Ann"}, {"2001", "Bob"},
        {"2002", "Bob"}, {"3001", "Cid"}, {"3002", "Cid"}, {"9999", ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(book.LookupName(row.number), row.name) << row.number;
    }
}

TEST(ContactList, LookupComparesWholeTextsByteForByte) {
    const ContactList book = Book({
        {0, "Ann", "5551234", "", ""},
        {1, "Bob", "", "", "+4930123"},
        {2, "Cid", "", "Ext 12", ""},
    });
    const char* misses[] = {
        "555 1234", " 5551234",  "5551234 ",  "555123", "55512345", "+5551234",
        "4930123",  "004930123", "+49 30123", "ext 12", "Ext  12",  "EXT 12",
    };
    for (const char* number : misses) {
        EXPECT_EQ(book.LookupName(number), "") << number;
    }
    EXPECT_EQ(book.LookupName("+4930123"), "Bob");
    EXPECT_EQ(book.LookupName("Ext 12"), "Cid");
    EXPECT_EQ(book.LookupName(std::string("5551234\0", 8)), "");
}

TEST(ContactList, AnEmptyNumberOrAnEmptyBookNamesNobody) {
    // Every entry lacks some number; a missing number must not match an empty one.
    const ContactList book = Book({{0, "Ann", "", "1", "2"}, {1, "Bob", "3", "", ""}});
    EXPECT_EQ(book.LookupName(""), "");
    EXPECT_EQ(ContactList().LookupName("1"), "");
    EXPECT_EQ(ContactList().LookupName(""), "");
}

TEST(ContactList, GetContactFindsTheLastEntryWithThatIndex) {
    ContactList book = Book({
        {0, "Ann", "1", "", ""},
        {1, "Bob", "2", "", ""},
        {1, "Bob again", "3", "", ""},
        {7, "Gus", "4", "", ""},
    });
    ASSERT_EQ(book.Count(), 4);
    ASSERT_NE(book.GetContact(0), nullptr);
    EXPECT_EQ(book.GetContact(0)->name, "Ann");
    ASSERT_NE(book.GetContact(1), nullptr);
    EXPECT_EQ(book.GetContact(1)->name, "Bob again");
    ASSERT_NE(book.GetContact(7), nullptr);
    EXPECT_EQ(book.GetContact(7)->home, "4");
    EXPECT_EQ(book.GetContact(2), nullptr);
    EXPECT_EQ(book.GetContact(-1), nullptr);

    book.Clear();
    EXPECT_EQ(book.Count(), 0);
    EXPECT_EQ(book.GetContact(0), nullptr);
    EXPECT_EQ(book.LookupName("1"), "");
}

}  // namespace
