// The remote listing parser: the fixed name column, kinds, order, odd listings and unsafe names.
#include "upload/RemoteListing.h"

#include <gtest/gtest.h>

using namespace vesk;

namespace {

// An "ls -l" line whose name starts at column 58.
QByteArray Line(char type, const QByteArray& name, int size = 1234)
{
    QByteArray prefix = QByteArray(1, type) + "rw-r--r--    1 vesk     users    ";
    prefix += QByteArray::number(size).rightJustified(10, ' ') + " Dec 07 18:00 ";
    return prefix + name + "\r\n";
}

QStringList Texts(const std::vector<TRemoteEntry>& entries)
{
    QStringList out;
    for (const TRemoteEntry& e : entries)
        out << e.text + "/" + QString::number(int(e.kind));
    return out;
}

} // namespace

TEST(RemoteListingTest, ParsesTheNameColumnKindsAndOrder)
{
    const QByteArray listing = "total 12\r\n" + Line('d', ".") + Line('d', "..") + Line('-', "b.htm") +
                               Line('-', "my page.htm") + Line('d', "Zeta") + Line('-', "A.htm") +
                               Line('l', "home -> index.htm") + Line('d', "alpha") + Line('c', "device") +
                               "short line\r\n";
    EXPECT_EQ(Texts(ParseListing(listing)),
              QStringList({"alpha/0", "device/0", "home -> index.htm/2", "Zeta/0", "A.htm/1", "b.htm/1",
                           "my page.htm/1"}));
}

TEST(RemoteListingTest, TheFirstLongLineFixesTheColumn)
{
    // A link line first: the column is found left of "->", not at the end.
    const QByteArray linkFirst = Line('l', "site -> public_html") + Line('-', "two words.htm");
    EXPECT_EQ(Texts(ParseListing(linkFirst)), QStringList({"site -> public_html/2", "two words.htm/1"}));
    // A first name with a blank moves the column into it; a later line that
    // the column cuts inside a word takes its name after its eighth field.
    const QByteArray blankFirst = Line('-', "a b.htm") + Line('-', "cd.htm");
    EXPECT_EQ(Texts(ParseListing(blankFirst)), QStringList({"b.htm/1", "cd.htm/1"}));
}

TEST(RemoteListingTest, LinesWithASizeWiderOrNarrowerThanTheFirstKeepTheirNames)
{
    // As a server that does not pad its size field writes them.
    const QByteArray listing = "-rw-r--r--   1 vesk     vesk    400000000 Dec 07 19:11 big.gif\r\n"
                               "drwxr-xr-x   2 vesk     vesk         4096 Dec 07 19:11 images\r\n"
                               "-rw-r--r--   1 vesk     vesk           14 Dec 07 19:11 my page.htm\r\n"
                               "-rw-r--r--   1 vesk     vesk    12345678901 Dec 07 19:11 huge.iso\r\n";
    EXPECT_EQ(Texts(ParseListing(listing)), QStringList({"images/0", "big.gif/1", "huge.iso/1", "my page.htm/1"}));
}

TEST(RemoteListingTest, LinksAreFetchedUnderTheirTargetName)
{
    struct Case { TRemoteKind kind; const char* text; const char* local; };
    const Case cases[] = {
        {TRemoteKind::Link, "home -> index.htm", "index.htm"},
        {TRemoteKind::Link, "odd->target", "target"},
        {TRemoteKind::Link, "no arrow", "no arrow"},
        {TRemoteKind::File, "a -> b.htm", "a -> b.htm"},
    };
    for (const Case& c : cases) {
        const TRemoteEntry entry{QString::fromUtf8(c.text), c.kind};
        EXPECT_EQ(entry.LocalName(), QString::fromUtf8(c.local)) << c.text;
    }
}

TEST(RemoteListingTest, ListingsOfOtherShapesNeverFail)
{
    struct Case { const char* what; QByteArray listing; QStringList texts; };
    const Case cases[] = {
        {"empty", "", {}},
        {"names only", "index.htm\nimages\nabout.htm\n", {}},
        {"no line of 55", "-rw-r--r-- 1 a b 12 Dec 07 18:00 x.htm\n", {}},
        {"windows", "12-07-26  06:00PM       <DIR>          images\r\n"
                    "12-07-26  06:00PM                 1234 index.htm\r\n", {}},
        {"no blank", QByteArray(60, 'x') + "\n", {QString(60, u'x') + "/0"}},
        {"arrow at the start", "->" + QByteArray(60, 'y') + "\n", {"->" + QString(60, u'y') + "/1"}},
        {"tabs", "-rw-r--r--\t1\tvesk\tusers\t1234\tDec 07 18:00\tpage.htm" + QByteArray(20, 'z') + "\n",
         {"page.htm" + QString(20, u'z') + "/1"}},
        {"shorter later line", Line('-', "long-name.htm") + QByteArray(55, '-') + "\n", {"long-name.htm/1"}},
        {"utf-8", Line('-', "caf\xc3\xa9.htm"), {QString::fromUtf8("caf\xc3\xa9.htm/1")}},
        {"latin-1", Line('-', "caf\xe9.htm"), {QString::fromUtf8("caf\xc3\xa9.htm/1")}},
        {"lf only", Line('-', "a.htm").replace("\r\n", "\n"), {"a.htm/1"}},
        {"no final newline", Line('-', "a.htm").chopped(2), {"a.htm/1"}},
        {"nul byte", Line('-', QByteArray("a\0b", 3)), {QString::fromLatin1("a\0b/1", 5)}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Texts(ParseListing(c.listing)), c.texts) << c.what;
}

TEST(RemoteListingTest, FTPCompareAgreesWithTheSortedList)
{
    const QByteArray listing = Line('-', "b") + Line('-', "B") + Line('d', "c") + Line('-', "a") +
                               Line('l', "\xc3\xa9t\xc3\xa9 -> x") + Line('d', "Z");
    const std::vector<TRemoteEntry> entries = ParseListing(listing);
    ASSERT_EQ(entries.size(), 6u);
    for (size_t i = 0; i + 1 < entries.size(); ++i)
        EXPECT_LE(FTPCompare(entries[i], entries[i + 1]), 0) << i;
    EXPECT_EQ(FTPCompare(entries[4], entries[5]), 0);  // "b" and "B"
    EXPECT_LT(FTPCompare({"zz", TRemoteKind::Link}, {"aa", TRemoteKind::File}), 0);
    EXPECT_GT(FTPCompare({"\xc3\xa9", TRemoteKind::File}, {"Z", TRemoteKind::File}), 0);
}

TEST(RemoteListingTest, NamesThatCouldLeaveTheFolderAreRefusedAndShownEscaped)
{
    struct Case { QString name; bool safe; QString shown; };
    const Case cases[] = {
        {"index.htm", true, "index.htm"},
        {"my page.htm", true, "my page.htm"},
        {QString::fromUtf8("caf\xc3\xa9"), true, QString::fromUtf8("caf\xc3\xa9")},
        {"", false, ""},
        {".", false, "."},
        {"..", false, ".."},
        {"...", true, "..."},
        {"../../.bashrc", false, "../../.bashrc"},
        {"/etc/passwd", false, "/etc/passwd"},
        {"evil\x1b[2J.htm", false, "evil\\x1b[2J.htm"},
        {"two\nlines", false, "two\\x0alines"},
        {QString(QChar(0x85)) + "x", false, "\\x85x"},
        {"del\x7f", false, "del\\x7f"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsSafeLocalName(c.name), c.safe) << c.name.toStdString();
        EXPECT_EQ(EscapeName(c.name), c.shown) << c.name.toStdString();
    }
    // A listing entry is shown escaped, a link checked by its target.
    const TRemoteEntry link{"up -> ../secret", TRemoteKind::Link};
    EXPECT_FALSE(IsSafeLocalName(link.LocalName()));
    EXPECT_EQ((TRemoteEntry{"a\tb", TRemoteKind::File}).Caption(), "a\\x09b");
}

TEST(RemoteListingTest, AHundredThousandEntriesAreAllKept)
{
    QByteArray listing = "total 100000\n";
    for (int i = 0; i < 100000; ++i)
        listing += Line(i % 10 == 0 ? 'd' : '-', "file" + QByteArray::number(99999 - i) + ".htm", i);
    const std::vector<TRemoteEntry> entries = ParseListing(listing);
    ASSERT_EQ(entries.size(), 100000u);
    EXPECT_EQ(entries.front().kind, TRemoteKind::Directory);
    EXPECT_EQ(entries.back().kind, TRemoteKind::File);
    EXPECT_EQ(entries[10000].text, "file0.htm");  // the first file after 10 000 directories
}
