// Many connections opened and closed: every close reported once, no
// descriptor or socket object left behind.
#include "NetTestUtil.h"

#include <gtest/gtest.h>

using namespace vesk;
using namespace vesk::test;

TEST(SocketLoadTest, TenThousandConnectionsLeaveNoDescriptorBehind)
{
    const int descriptors = OpenDescriptorCount();
    const int sockets = TCustomAsyncSocket::LiveSocketCount();
    {
        TAsyncSocket server, served, client;
        server.SetAddr(QStringLiteral("127.0.0.1"));
        server.SetPort(QStringLiteral("0"));
        server.Listen();
        const QString port = server.LocalPort();
        int accepted = 0;
        server.OnSessionAvailable = [&](TCustomAsyncSocket* s, int) {
            // Dup closes the previous connection of `served` first.
            served.Dup(s->Accept());
            ++accepted;
        };
        int connected = 0, closed = 0;
        client.OnSessionConnected = [&](TCustomAsyncSocket*, int e) { connected += e == 0; };
        client.OnSessionClosed = [&](TCustomAsyncSocket*, int) { ++closed; };
        for (int i = 0; i < 10000; ++i) {
            client.SetAddr(QStringLiteral("127.0.0.1"));
            client.SetPort(port);
            client.SetProto(QStringLiteral("tcp"));
            client.Connect();
            ASSERT_TRUE(WaitUntil([&] { return connected == i + 1 && accepted == i + 1; })) << "connection " << i;
            client.Close();
            client.Close();
        }
        EXPECT_EQ(closed, 10000);
        EXPECT_EQ(TCustomAsyncSocket::LiveSocketCount(), sockets + 3);
    }
    EXPECT_EQ(TCustomAsyncSocket::LiveSocketCount(), sockets);
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
}
