// The in-memory tries, user dictionaries and the configuration file.
#include "SpellTestUtil.h"

#include "platform/ProfileFile.h"
#include "spell/SpellConfig.h"
#include "spell/Trie.h"
#include "spell/UserDictionary.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

using test::TempDir;

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

TEST(Trie, ListsFollowTheirRules)
{
    TTrieStringList words;
    words.Add("there");
    words.Add("the");   // a node that already existed becomes a word
    words.Add("the");
    EXPECT_TRUE(words.Lookup("the"));
    EXPECT_FALSE(words.Lookup("The"));  // case counts
    EXPECT_FALSE(words.Lookup("th"));
    EXPECT_FALSE(words.Lookup(""));
    words.Delete("the");
    EXPECT_TRUE(words.Lookup("the"));  // added twice, deleted once
    words.Delete("the");
    EXPECT_FALSE(words.Lookup("the"));
    EXPECT_TRUE(words.Lookup("there"));  // deleting only clears the flag
    EXPECT_EQ(words.Words(), std::vector<std::string>{"there"});

    TTrieLookupList pairs;
    pairs.Add("teh", "the");
    pairs.Add("recieve", "receive");
    pairs.Add("teh", "ten");  // a later pair wins
    ASSERT_TRUE(pairs.Lookup("teh"));
    EXPECT_EQ(pairs.Replacement(), "ten");
    pairs.Delete("teh");  // the first pair goes; indexes after it shift
    ASSERT_TRUE(pairs.Lookup("recieve"));
    EXPECT_EQ(pairs.Replacement(), "receive");
    ASSERT_TRUE(pairs.Lookup("teh"));
    EXPECT_EQ(pairs.Replacement(), "ten");
    EXPECT_FALSE(pairs.Lookup("te"));
}

TEST(UserDictionary, BothFormsLoadAndOnlyUdtIsWritten)
{
    TempDir dir;
    const QString dic = dir.file("words.DIC");
    const QByteArray dicBytes = "zebra\r\napple\n  mango \n\napple\n";
    QFile f(dic);
    f.open(QIODevice::WriteOnly);
    f.write(dicBytes);
    f.close();
    TUserDictionary d;
    d.Open(dic);
    EXPECT_TRUE(d.ReadOnly());
    EXPECT_EQ(d.Words(), (std::vector<std::string>{"apple", "mango", "zebra"}));
    d.AddWord("kiwi");
    d.DeleteWord("apple");
    d.AddPair("teh", "the");
    EXPECT_EQ(d.Words().size(), 3u);
    d.Close();
    EXPECT_EQ(ReadAll(dic), dicBytes);

    const std::string udt = dir.fileStd("mine.udt");
    const QByteArray hostile = "[Other]\nkeep=1\n[Added]\nIGN_ListCount=2000000000\nIGN_0=b\nIGN_3=a\n"
                               "IGN_9=caf\xe9\nnote=mine\n[Auto Correct]\nAC_ListCount=3\nAC_0=teh@@@the\n"
                               "AC_1=nopair\nAC_2=" + QByteArray(1 << 20, 'x') + "@@@y\n";
    f.setFileName(QString::fromStdString(udt));
    f.open(QIODevice::WriteOnly);
    f.write(hostile);
    f.close();
    d.Open(QString::fromStdString(udt));
    EXPECT_EQ(d.Words(), (std::vector<std::string>{"a", "b", "caf\xc3\xa9"}));
    ASSERT_EQ(d.Misspellings().size(), 1u);  // the 1 MB value is cut before its "@@@"
    EXPECT_EQ(d.Misspellings()[0], "teh");
    EXPECT_EQ(d.Replacements()[0], "the");
    d.AddWord("c");
    d.DeletePair("teh");
    d.Close();
    EXPECT_EQ(GetPrivateProfileString("Other", "keep", "", udt), "1");
    EXPECT_EQ(GetPrivateProfileString("Added", "note", "", udt), "mine");
    EXPECT_EQ(GetPrivateProfileInt("Added", "IGN_ListCount", 0, udt), 4);
    EXPECT_EQ(GetPrivateProfileString("Added", "IGN_2", "", udt), "c");
    EXPECT_EQ(GetPrivateProfileString("Added", "IGN_3", "", udt), "caf\xc3\xa9");
    EXPECT_EQ(GetPrivateProfileString("Added", "IGN_9", "gone", udt), "gone");
    EXPECT_EQ(GetPrivateProfileInt("Auto Correct", "AC_ListCount", 9, udt), 0);
    EXPECT_EQ(GetPrivateProfileString("Auto Correct", "AC_2", "gone", udt), "gone");
}

TEST(SpellConfiguration, DefaultFromTheFolderAndDamagedSections)
{
    TempDir dir;
    test::WriteDictionary(dir.file("english.dct"), {"a"});
    test::WriteDictionary(dir.file("other.dct"), {"b"});
    QFile(dir.file("default.udt")).open(QIODevice::WriteOnly);
    const QString cfg = dir.file("SPELLCHK.CFG");
    TConfiguration c;
    c.Load(cfg, "spellchk", "english.dct", "default.udt", soInternet | soRepeated);
    EXPECT_TRUE(c.IsDefault());
    ASSERT_EQ(c.mains.size(), 2u);
    EXPECT_EQ(c.mains[0], (TDictionaryEntry{true, dir.file("english.dct")}));
    EXPECT_EQ(c.mains[1], (TDictionaryEntry{false, dir.file("other.dct")}));
    EXPECT_EQ(c.titles, (std::vector<std::string>{"Test", "Test"}));
    EXPECT_EQ(c.users, std::vector<TDictionaryEntry>{(TDictionaryEntry{true, dir.file("default.udt")})});
    EXPECT_EQ(c.userIndex, 0);
    EXPECT_EQ(c.options, soInternet | soRepeated);
    c.Release();  // a default configuration is written when released
    const std::string p = cfg.toStdString();
    EXPECT_EQ(GetPrivateProfileString("spellchk", "ID", "", p), "yes");
    EXPECT_EQ(GetPrivateProfileString("spellchk", "U_MU_DCT_1", "", p), "Fother.dct");

    // Nonsense in a valid section loads what it can; saving keeps foreign keys.
    WritePrivateProfileString("spellchk", "UserIndex", "57", p);
    WritePrivateProfileString("spellchk", "U_DCT_ListCount", "99999999", p);
    WritePrivateProfileString("spellchk", "M_DCT_ListCount", "0", p);
    WritePrivateProfileString("spellchk", "soRepeated", "maybe", p);
    WritePrivateProfileString("spellchk", "U_MU_DCT_2", "T" + dir.fileStd("gone.dct"), p);
    WritePrivateProfileString("spellchk", "U_MU_DCT_ListCount", "3", p);
    WritePrivateProfileString("spellchk", "Mine", "kept", p);
    TConfiguration d;
    d.Load(cfg, "spellchk", "english.dct", "default.udt", 0);
    EXPECT_FALSE(d.IsDefault());
    EXPECT_EQ(d.userIndex, -1);  // past the one-entry list
    ASSERT_EQ(d.mains.size(), 3u);
    EXPECT_FALSE(d.mains[2].inUse);
    EXPECT_EQ(d.missingMains, std::vector<QString>{dir.file("gone.dct")});
    EXPECT_EQ(d.titles[1], "Test");  // no title entry: read from the file
    EXPECT_TRUE(d.options & soRepeated);
    d.Save();
    EXPECT_EQ(GetPrivateProfileString("spellchk", "Mine", "", p), "kept");
}

} // namespace
} // namespace vesk
