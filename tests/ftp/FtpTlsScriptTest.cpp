// Explicit TLS against a scripted server that does not speak TLS: what the
// answers to AUTH TLS lead to, and every way the handshake can go wrong,
// with the promise that no login is ever sent before TLS is up and no
// line that came in the clear after AUTH TLS is ever read.
#include "FtpScript.h"

#include "ftp/FtpClient.h"

#include <gtest/gtest.h>

using namespace vesk;
using namespace vesk::test;

namespace {

struct Case {
    const char* name;
    TFtpEncryption encryption;
    QStringList transcript;
    bool ok;
    QString error;  // the start of ErrorMessage
    bool loginSent;
};

} // namespace

TEST(FtpTlsScript, AnswersToAuthTlsAndBrokenHandshakes)
{
    const QStringList login = {"C USER bob", "S 331 Password please", "C PASS secret", "S 230 Welcome"};
    const QStringList greeting = {"S 220 Ready", "C AUTH TLS"};
    const std::vector<Case> cases = {
        // Only "I do not know that command" lets "if available" go on in the clear.
        {"502, if available", ftpTlsIfAvailable, greeting + QStringList{"S 502 Not implemented"} + login, true, "",
         true},
        {"500, if available", ftpTlsIfAvailable, greeting + QStringList{"S 500 What?"} + login, true, "", true},
        {"504, if available", ftpTlsIfAvailable, greeting + QStringList{"S 504 Not for TLS"} + login, true, "", true},
        {"502, required", ftpTlsRequired, greeting + QStringList{"S 502 Not implemented"}, false,
         "502 The server does not offer TLS, which this site requires", false},
        {"534, if available", ftpTlsIfAvailable, greeting + QStringList{"S 534 Policy says no"}, false,
         "534 The server refused TLS", false},
        {"a 2xx that is not 234", ftpTlsIfAvailable, greeting + QStringList{"S 200 Sure"}, false,
         "534 The server refused TLS", false},
        {"garbage", ftpTlsRequired, greeting + QStringList{"S hello there"}, false,
         "500 The answer to AUTH TLS is not an FTP reply", false},
        {"a broken code", ftpTlsIfAvailable, greeting + QStringList{"S 23x go"}, false, "500 Malformed reply", false},
        {"234, then the server hangs up", ftpTlsRequired, greeting + QStringList{"S 234 Go ahead", "CLOSE"}, false,
         "500 TLS failed:", false},
        {"234, then plain text", ftpTlsIfAvailable,
         greeting + QStringList{"S 234 Go ahead", "S 230 Logged in without TLS", "SLEEP 300", "CLOSE"}, false,
         "500 TLS failed:", false},
        {"234, then silence", ftpTlsRequired, greeting + QStringList{"S 234 Go ahead", "SLEEP 2500"}, false,
         "426 Timeout", false},
        // Lines that came in the clear behind the 234 (injected before the
        // handshake) are never taken as the server's replies.
        {"a line injected behind the 234", ftpTlsIfAvailable,
         greeting + QStringList{"R 234 Go ahead\\r\\n230 Injected\\r\\n", "SLEEP 300", "CLOSE"}, false,
         "500 TLS failed:", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FtpScript script(c.transcript);
        TFtpClient client;
        QStringList trace;
        client.OnDisplay = [&](TCustomFtpEngine*, const QString& t) { trace << t; };
        client.SetHostName(QStringLiteral("127.0.0.1"));
        client.SetPort(QString::number(script.port()));
        client.SetUserName(QStringLiteral("bob"));
        client.SetPassWord(QStringLiteral("secret"));
        client.SetTimeout(1);
        client.SetEncryption(c.encryption);
        EXPECT_EQ(client.Connect(), c.ok) << client.ErrorMessage().toStdString();
        EXPECT_TRUE(c.ok ? client.ErrorMessage().isEmpty() : client.ErrorMessage().startsWith(c.error))
            << client.ErrorMessage().toStdString() << "\n" << trace.join(u'\n').toStdString();
        EXPECT_EQ(client.FellBackToPlain(), c.ok);
        EXPECT_FALSE(client.Encrypted());
        EXPECT_FALSE(trace.join(u'\n').contains("Injected"));
        client.Abort();
        script.Finish();
        const QString sent = script.Sent().join(u'\n');
        EXPECT_EQ(sent.contains("USER"), c.loginSent) << sent.toStdString();
        EXPECT_FALSE(!c.loginSent && sent.contains("PASS")) << sent.toStdString();
        if (c.ok)
            EXPECT_EQ(script.Failures(), QStringList());
    }
}
