// The FTP engine against a scripted server: each case is a written
// conversation (what the server says, what the client must send), run
// through the synchronous client, with the result, the error text and the
// local file it leaves.
#include "FtpScript.h"

#include "ftp/FtpClient.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace vesk;
using namespace vesk::test;

namespace {

const QStringList kLogin = {"S 220 Ready", "C USER bob", "S 331 Password please", "C PASS secret", "S 230 Welcome"};

// One client aimed at a script, with everything it reports.
struct Session {
    explicit Session(const FtpScript& script, int timeout = 5)
    {
        client.SetHostName(QStringLiteral("127.0.0.1"));
        client.SetPort(QString::number(script.port()));
        client.SetUserName(QStringLiteral("bob"));
        client.SetPassWord(QStringLiteral("secret"));
        client.SetTimeout(timeout);
        client.OnDisplay = [this](TCustomFtpEngine*, const QString& t) { trace << t; };
        client.OnDisplayFile = [this](TCustomFtpEngine*, const QString& t) { lines << t; };
        client.OnRequestDone = [this](TCustomFtpEngine*, TFtpRequest type, int code) {
            done << QStringLiteral("%1 %2").arg(int(type)).arg(code);
        };
    }
    TFtpClient client;
    QStringList trace, lines, done;
};

QStringList operator+(const QStringList& a, std::initializer_list<const char*> b)
{
    QStringList out = a;
    for (const char* s : b)
        out << QString::fromUtf8(s);
    return out;
}

// A case run after the login: the operation, its result, the start of
// ErrorMessage, and what the local file "got" holds afterwards (a null
// array: there must be no such file).
struct Case {
    const char* name;
    QStringList transcript;
    std::function<void(TFtpClient&, const TempDir&)> setup;
    bool (TFtpClient::*operation)();
    bool ok;
    QString error;
    QByteArray file;
};

void RunCases(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        FtpScript script(kLogin + c.transcript);
        Session s(script);
        s.client.SetLocalFileName(dir.file("got"));
        s.client.SetHostFileName(QStringLiteral("a.txt"));
        if (c.setup)
            c.setup(s.client, dir);
        ASSERT_TRUE(s.client.Connect()) << s.client.ErrorMessage().toStdString();
        EXPECT_EQ((s.client.*c.operation)(), c.ok)
            << s.client.ErrorMessage().toStdString() << "\n" << s.trace.join(u'\n').toStdString();
        EXPECT_TRUE(c.error.isEmpty() || s.client.ErrorMessage().startsWith(c.error))
            << s.client.ErrorMessage().toStdString() << "\n" << s.trace.join(u'\n').toStdString();
        s.client.Abort();
        script.Finish();
        EXPECT_EQ(script.Failures(), QStringList()) << s.trace.join(u'\n').toStdString();
        if (c.file.isNull())
            EXPECT_FALSE(QFile::exists(dir.file("got")));
        else
            EXPECT_EQ(ReadFileBytes(dir.file("got")), c.file);
        // No temporary file of a download is ever left behind.
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Hidden | QDir::Files).filter(u".got.").size(), 0);
    }
}

auto Passive = [](TFtpClient& c, const TempDir&) { c.SetPassive(true); };

} // namespace

TEST(FtpTranscriptTest, LoginConversations)
{
    struct Row {
        const char* name;
        QStringList transcript;
        bool ok;
        QString error;
    };
    const std::vector<Row> rows = {
        {"multi-line greeting",
         {"S 220-Welcome", "S this line is only text", "S 220-still the greeting", "S 220 Ready", "C USER bob",
          "S 331 Password", "C PASS secret", "S 230 OK"},
         true, ""},
        // A line that starts like another reply inside a multi-line one does not end it.
        {"digits inside a multi-line reply",
         {"S 220-Hi", "S 230 is not the end", "S 220 Ready", "C USER bob", "S 331 Password", "C PASS secret",
          "S 230 OK"},
         true, ""},
        {"USER answered 230 skips PASS", {"S 220 Ready", "C USER bob", "S 230 No password needed"}, true, ""},
        {"wrong password", {"S 220 Ready", "C USER bob", "S 331 Password", "C PASS secret", "S 530 Login incorrect."},
         false, "530 Login incorrect."},
        {"greeting other than 220", {"S 421 Too many users"}, false, "421 Too many users"},
        {"reply that is not a number is only traced",
         {"S 220 Ready", "C USER bob", "S hello there", "S 331 Password", "C PASS secret", "S 230 OK"}, true, ""},
        {"code out of range", {"S 220 Ready", "C USER bob", "S 999 What"}, false, "500 Malformed reply: 999 What"},
        {"code of four digits", {"S 220 Ready", "C USER bob", "S 2300 OK"}, false, "500 Malformed reply"},
        {"server closes while a request waits", {"S 220 Ready", "C USER bob", "CLOSE"}, false,
         "500 Connection closed by the server"},
        {"server closes before the greeting", {"CLOSE"}, false, "500 Connection closed by the server"},
        {"reply line of 1 MB", {"S 220 Ready", "C USER bob", "FILL 1048576"}, false, "500 Reply line too long"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FtpScript script(row.transcript);
        Session s(script);
        EXPECT_EQ(s.client.Connect(), row.ok);
        EXPECT_TRUE(row.error.isEmpty() || s.client.ErrorMessage().startsWith(row.error))
            << s.client.ErrorMessage().toStdString() << "\n" << s.trace.join(u'\n').toStdString();
        s.client.Abort();
        script.Finish();
        EXPECT_EQ(script.Failures(), QStringList());
    }
}

TEST(FtpTranscriptTest, LineEndsWithAndWithoutAcceptLF)
{
    for (bool acceptLF : {true, false}) {
        // OnCommand may rewrite what is sent.
        FtpScript script({"R 220 Hello\\nworld\\r\\n", "C user bob", "S 230 OK"});
        Session s(script);
        s.client.SetOptions(acceptLF ? TFtpOptions(ftpAcceptLF) : TFtpOptions());
        s.client.OnCommand = [](TCustomFtpEngine*, QString& command) { command = command.toLower(); };
        ASSERT_TRUE(s.client.Connect()) << s.client.ErrorMessage().toStdString();
        EXPECT_EQ(s.trace.first(), acceptLF ? "< 220 Hello" : "< 220 Hello\nworld");
        s.client.Abort();
    }
}

TEST(FtpTranscriptTest, ConnectionsThatCannotBeMade)
{
    TFtpClient c;
    c.SetHostName("127.0.0.1");
    c.SetPort(QString::number(FreeLoopbackPort()));
    c.SetUserName("bob");
    EXPECT_FALSE(c.Connect());
    EXPECT_EQ(c.ErrorMessage(), "500 Connection refused (Winsock error #10061)");
    c.SetHostName("bad host");
    EXPECT_FALSE(c.Connect());
    EXPECT_EQ(c.ErrorMessage(), "500 Invalid argument (Winsock error #10022)");
    EXPECT_EQ(c.State(), ftpReady);
}

TEST(FtpTranscriptTest, AbortEndsTheRequestInFlight)
{
    FtpScript script(kLogin + std::initializer_list<const char*>{"C SYST"});
    Session s(script);
    ASSERT_TRUE(s.client.Connect());
    ASSERT_TRUE(s.client.SystemAsync());
    s.client.Abort();
    EXPECT_EQ(s.client.State(), ftpReady);
    EXPECT_FALSE(s.client.Connected());
    EXPECT_EQ(s.client.ErrorMessage(), "426 Operation aborted.");
    ASSERT_TRUE(WaitUntil([&] { return s.done.size() == 2; }));
    EXPECT_EQ(s.done.last(), "14 426");
}

TEST(FtpTranscriptTest, TraceShowsTheConversationWithThePasswordMasked)
{
    FtpScript script(kLogin + std::initializer_list<const char*>{"C PWD", "S 257 \"/home/\"\"q\"\"\" is current"});
    Session s(script);
    ASSERT_TRUE(s.client.Connect());
    ASSERT_TRUE(s.client.PrintDir());
    EXPECT_EQ(s.client.DirResult(), QStringLiteral("/home/\"q\""));
    EXPECT_EQ(s.trace, QStringList({"< 220 Ready", "> USER bob", "< 331 Password please", "> PASS ****",
                                    "< 230 Welcome", "> PWD", "< 257 \"/home/\"\"q\"\"\" is current"}));
    // OnRequestDone is posted: it arrives once the event loop runs.
    WaitUntil([&] { return s.done.size() == 2; }, 2000);
    EXPECT_EQ(s.done, QStringList({"5 0", "31 0"}));
}

TEST(FtpTranscriptTest, SequencesSkipStepsAndRestoreTheReplyBeforeQuit)
{
    // Empty HostDirName: no CWD. The sequence ends with QUIT, yet reports
    // the reply of the step before it.
    FtpScript script(kLogin + std::initializer_list<const char*>{"C DELE old.htm", "S 250 Deleted", "C QUIT",
                                                                 "S 221 Bye"});
    Session s(script);
    s.client.SetHostFileName(QStringLiteral("old.htm"));
    ASSERT_TRUE(s.client.DeleteSessionAsync());
    ASSERT_TRUE(WaitUntil([&] { return !s.done.isEmpty(); }));
    EXPECT_EQ(s.done, QStringList{"28 0"});
    EXPECT_EQ(s.client.LastResponse(), QStringLiteral("250 Deleted"));
    EXPECT_EQ(s.client.StatusCode(), 250);
    EXPECT_FALSE(s.client.Connected());
    script.Finish();
    EXPECT_EQ(script.Failures(), QStringList());

    // A failing step still sends the planned QUIT; the sequence reports the failure.
    FtpScript failing(kLogin + std::initializer_list<const char*>{"C CWD /nowhere", "S 550 No such directory",
                                                                  "C QUIT", "S 221 Bye"});
    Session f(failing);
    f.client.SetHostDirName(QStringLiteral("/nowhere"));
    ASSERT_TRUE(f.client.DeleteSessionAsync());
    ASSERT_TRUE(WaitUntil([&] { return !f.done.isEmpty(); }));
    failing.Finish();
    EXPECT_EQ(failing.Failures(), QStringList());
    EXPECT_EQ(f.done, QStringList{"28 550"});
    EXPECT_EQ(f.client.ErrorMessage(), QStringLiteral("550 No such directory"));
}

TEST(FtpTranscriptTest, UnsafeArgumentsAreRefusedBeforeAnythingIsSent)
{
    FtpScript script(kLogin);
    Session s(script);
    ASSERT_TRUE(s.client.Connect());
    const QString bad[] = {"a\r\nDELE x", "a\nb", QString("a") + QChar(0) + "b"};
    for (const QString& name : bad) {
        s.client.SetHostFileName(name);
        EXPECT_THROW(s.client.DeleteAsync(), EFtpError);
        EXPECT_FALSE(s.client.Delete());
        s.client.SetHostFileName("ok");
        s.client.SetHostDirName(name);
        EXPECT_FALSE(s.client.ChangeDir());
        s.client.SetHostDirName("");
        s.client.SetLocalFileName(name);
        EXPECT_FALSE(s.client.Rename());
        EXPECT_FALSE(s.client.Quote());
    }
    QStringList refused;
    s.client.OnError = [&](TCustomFtpEngine*, const QString& text) { refused << text; };
    s.client.SetHostFileName("x\ry");
    EXPECT_FALSE(s.client.MakeDirAsync());
    EXPECT_EQ(refused, QStringList{"HostFileName holds CR, LF or NUL"});
    s.client.Abort();
    script.Finish();
    EXPECT_EQ(script.Sent(), QStringList({"USER bob", "PASS secret"}));
}

TEST(FtpTranscriptTest, Downloads)
{
    auto existing = [](TFtpClient&, const TempDir& d) { WriteFileBytes(d.file("got"), "old contents"); };
    auto passiveExisting = [&](TFtpClient& c, const TempDir& d) {
        c.SetPassive(true);
        existing(c, d);
    };
    const std::vector<Case> cases = {
        {"active RETR",
         {"C PORT 127,0,0,1,*", "S 200 OK", "C RETR a.txt", "S 150 Opening", "CONNECT", "DSEND hello\\r\\nworld",
          "DCLOSE", "S 226 Done"},
         nullptr, &TFtpClient::Get, true, "", "hello\r\nworld"},
        {"passive RETR replaces a file",
         {"C PASV", "S 227 Entering Passive Mode ({pasv})", "C RETR a.txt", "ACCEPT", "S 150 Opening",
          "DSEND new", "DCLOSE", "S 226 Done"},
         passiveExisting, &TFtpClient::Get, true, "", "new"},
        {"227 naming another address still connects to the server",
         {"C PASV", "S 227 Entering Passive Mode ({other})", "C RETR a.txt", "ACCEPT", "S 150 Opening",
          "DSEND x", "DCLOSE", "S 226 Done"},
         Passive, &TFtpClient::Get, true, "", "x"},
        {"227 without parentheses",
         {"C PASV", "S 227 Entering Passive Mode {pasv}", "C RETR a.txt", "ACCEPT", "S 150 Opening", "DSEND y",
          "DCLOSE", "S 226 Done"},
         Passive, &TFtpClient::Get, true, "", "y"},
        {"227 with a number over 255", {"C PASV", "S 227 Entering Passive Mode (127,0,0,1,300,2)"}, Passive,
         &TFtpClient::Get, false, "550 Unable to establish data connection", QByteArray()},
        {"227 with numbers missing", {"C PASV", "S 227 Entering Passive Mode (127,0,0)"}, Passive,
         &TFtpClient::Get, false, "550 Unable to establish data connection", QByteArray()},
        {"RETR answered 550 leaves no file", {"C PORT *", "S 200 OK", "C RETR a.txt", "S 550 No such file"},
         nullptr, &TFtpClient::Get, false, "550 No such file", QByteArray()},
        {"a failed RETR keeps the old file",
         {"C PASV", "S 227 ({pasv})", "C RETR a.txt", "ACCEPT", "S 150 Opening", "DSEND partial", "DCLOSE",
          "S 426 Connection lost"},
         passiveExisting, &TFtpClient::Get, false, "426 Connection lost", "old contents"},
        {"final reply before the data",
         {"C PASV", "S 227 ({pasv})", "C RETR a.txt", "ACCEPT", "S 150 Opening", "S 226 Done", "SLEEP 50",
          "DSEND late", "DCLOSE"},
         Passive, &TFtpClient::Get, true, "", "late"},
        {"more data than announced",
         {"C PASV", "S 227 ({pasv})", "C RETR a.txt", "ACCEPT", "S 150 Opening a.txt (10 bytes)", "DFILL 300000",
          "DCLOSE", "S 226 Done"},
         Passive, &TFtpClient::Get, true, "", QByteArray(300000, 'd')},
        {"a stranger's data connection is refused",
         {"C PORT *", "S 200 OK", "C RETR a.txt", "CONNECT-FROM 127.0.0.2", "S 150 Opening", "CONNECT",
          "DSEND mine", "DCLOSE", "S 226 Done"},
         nullptr, &TFtpClient::Get, true, "", "mine"},
        {"stopped through OnProgress keeps the old file",
         {"C PASV", "S 227 ({pasv})", "C RETR a.txt", "ACCEPT", "S 150 Opening", "DSEND part", "SLEEP 50",
          "S 226 Done"},
         [&](TFtpClient& c, const TempDir& d) {
             passiveExisting(c, d);
             c.OnProgress = [](TCustomFtpEngine*, qint64 count, bool& abort) { abort = count > 0; };
         },
         &TFtpClient::Get, false, "426 Transfer aborted", "old contents"},
        {"server closes the control connection during RETR",
         {"C PASV", "S 227 ({pasv})", "C RETR a.txt", "ACCEPT", "S 150 Opening", "DSEND part", "CLOSE"},
         passiveExisting, &TFtpClient::Get, false, "500 Connection closed by the server", "old contents"},
    };
    RunCases(cases);
}

TEST(FtpTranscriptTest, ListingLinesArriveWholeAcrossReads)
{
    FtpScript script(kLogin + std::initializer_list<const char*>{"C PASV", "S 227 ({pasv})", "C NLST", "ACCEPT",
                                                                 "S 150 Here", "DSEND one\\r\\ntw", "SLEEP 50",
                                                                 "DSEND o\\r\\n\\r\\nthree", "DCLOSE", "S 226 Done"});
    Session s(script);
    s.client.SetPassive(true);
    s.client.SetDisplayFileFlag(true);
    ASSERT_TRUE(s.client.Connect());
    ASSERT_TRUE(s.client.NameList()) << s.client.ErrorMessage().toStdString();
    EXPECT_EQ(s.lines, QStringList({"one", "two", "three"}));
}

TEST(FtpTranscriptTest, ResumedDownloads)
{
    auto half = [](TFtpClient& c, const TempDir& d) {
        c.SetPassive(true);
        WriteFileBytes(d.file("got"), "hello ");
    };
    const std::vector<Case> cases = {
        {"no local file: no REST",
         {"C PASV", "S 227 ({pasv})", "C RETR a.txt", "ACCEPT", "S 150 Go", "DSEND hello world", "DCLOSE",
          "S 226 Done"},
         Passive, &TFtpClient::ResumeGet, true, "", "hello world"},
        {"REST answered 350 appends",
         {"C PASV", "S 227 ({pasv})", "C REST 6", "S 350 Restarting at 6", "C RETR a.txt", "ACCEPT", "S 150 Go",
          "DSEND world", "DCLOSE", "S 226 Done"},
         half, &TFtpClient::ResumeGet, true, "", "hello world"},
        {"REST answered 3xx starts again",
         {"C PASV", "S 227 ({pasv})", "C REST 6", "S 320 Whatever", "C RETR a.txt", "ACCEPT", "S 150 Go",
          "DSEND hello world", "DCLOSE", "S 226 Done"},
         half, &TFtpClient::ResumeGet, true, "", "hello world"},
        {"REST answered 5xx fails", {"C PASV", "S 227 ({pasv})", "C REST 6", "S 502 Not implemented"}, half,
         &TFtpClient::ResumeGet, false, "502 Not implemented", "hello "},
    };
    RunCases(cases);
}

TEST(FtpTranscriptTest, Uploads)
{
    auto upload = [](bool passive) {
        return [passive](TFtpClient& c, const TempDir& d) {
            c.SetPassive(passive);
            QByteArray content;
            for (int i = 0; i < 20000; ++i)
                content += QByteArray::number(i) + ' ';
            WriteFileBytes(d.file("up.bin"), content);
            c.SetLocalFileName(d.file("up.bin"));
            c.SetHostFileName("up.bin");
        };
    };
    const std::vector<Case> cases = {
        {"passive STOR",
         {"C PASV", "S 227 ({pasv})", "ACCEPT", "C STOR up.bin", "S 150 Go", "DRECV", "S 226 Stored"},
         upload(true), &TFtpClient::Put, true, "", QByteArray()},
        // The server connects before its 150: nothing is sent until both have come.
        {"active STOR, connection before the 150",
         {"C PORT *", "S 200 OK", "C STOR up.bin", "CONNECT", "SLEEP 100", "DQUIET", "S 150 Go", "DRECV",
          "S 226 Stored"},
         upload(false), &TFtpClient::Put, true, "", QByteArray()},
        {"active STOR, 150 before the connection",
         {"C PORT *", "S 200 OK", "C STOR up.bin", "S 150 Go", "SLEEP 50", "CONNECT", "DRECV", "S 226 Stored"},
         upload(false), &TFtpClient::Put, true, "", QByteArray()},
        {"STOR refused", {"C PORT *", "S 200 OK", "C STOR up.bin", "S 553 Not allowed"}, upload(false),
         &TFtpClient::Put, false, "553 Not allowed", QByteArray()},
        {"dropped upload is an error",
         {"C PASV", "S 227 ({pasv})", "ACCEPT", "C STOR up.bin", "S 150 Go", "CLOSE"}, upload(true),
         &TFtpClient::Put, false, "500 Connection closed by the server", QByteArray()},
        {"cancelled by OnReadyToTransmit", {"C PORT *", "S 200 OK"},
         [](TFtpClient& c, const TempDir&) {
             c.OnReadyToTransmit = [](TCustomFtpEngine*, bool& cancel) { cancel = true; };
         },
         &TFtpClient::Put, false, "426 Transmit cancelled by application", QByteArray()},
        {"missing local file", {"C PORT *", "S 200 OK"}, [](TFtpClient& c, const TempDir& d) { c.SetLocalFileName(d.file("none")); },
         &TFtpClient::Put, false, "426 Unable to open local file", QByteArray()},
    };
    RunCases(cases);
}

TEST(FtpTranscriptTest, UploadedBytesArriveInOrder)
{
    TempDir dir;
    QByteArray content(300000, '\0');
    for (int i = 0; i < content.size(); ++i)
        content[i] = char(i * 7 + i / 251);
    WriteFileBytes(dir.file("up.bin"), content);
    for (bool passive : {false, true}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        FtpScript script(kLogin + (passive ? std::initializer_list<const char*>{"C PASV", "S 227 ({pasv})", "ACCEPT",
                                                                                "C APPE up.bin", "S 150 Go", "DRECV",
                                                                                "S 226 Appended"}
                                           : std::initializer_list<const char*>{"C PORT *", "S 200 OK",
                                                                                "C APPE up.bin", "S 150 Go", "CONNECT",
                                                                                "DRECV", "S 226 Appended"}));
        Session s(script);
        s.client.SetPassive(passive);
        s.client.SetLocalFileName(dir.file("up.bin"));
        s.client.SetHostFileName("up.bin");
        ASSERT_TRUE(s.client.Connect());
        EXPECT_TRUE(s.client.Append()) << s.client.ErrorMessage().toStdString();
        EXPECT_EQ(s.client.ByteCount(), content.size());
        s.client.Abort();
        script.Finish();
        EXPECT_EQ(script.Uploaded(), content);
    }
}

TEST(FtpTranscriptTest, TimeoutBoundsSilenceNotTransfers)
{
    const QStringList start = {"C PASV", "S 227 ({pasv})", "C RETR a.txt", "ACCEPT", "S 150 Go"};
    struct Row {
        const char* name;
        QStringList rest;
        bool ok;
    };
    const Row rows[] = {
        {"keeps sending", {"DSEND a", "SLEEP 700", "DSEND b", "SLEEP 700", "DSEND c", "SLEEP 700", "DSEND d",
                           "DCLOSE", "S 226 Done"}, true},
        {"silent", {"SLEEP 4000"}, false},
        {"endless multi-line reply", {"S 226-Done", "FLOOD still going"}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        FtpScript script(kLogin + start + row.rest);
        Session s(script, 2);
        s.client.SetPassive(true);
        s.client.SetLocalFileName(dir.file("got"));
        s.client.SetHostFileName("a.txt");
        ASSERT_TRUE(s.client.Connect());
        EXPECT_EQ(s.client.Get(), row.ok);
        if (!row.ok) {
            EXPECT_EQ(s.client.ErrorMessage(), QStringLiteral("426 Timeout"));
            EXPECT_FALSE(s.client.Connected());
            EXPECT_FALSE(QFile::exists(dir.file("got")));
        }
        s.client.Abort();
        script.Finish();
    }
}
