// Loopback throughput: 100 MiB from one TAsyncSocket to another (Send on
// OnDataSent, Receive on OnDataAvailable, both on this thread), beside a plain
// blocking send/recv loop over a loopback TCP pair, the machine's limit.
// The argument of the socket runs is the send queue's block size.
//
//   ./build/bench/bench_socket
#include "net/SyncSocket.h"

#include <QCoreApplication>
#include <QEventLoop>

#include "BenchCoreMain.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>
#include <vector>

namespace {

constexpr qint64 kTotal = 100LL << 20;
constexpr int kChunk = 64 * 1024;

void AsyncSocketLoopback(benchmark::State& state)
{
    const int blockSize = int(state.range(0));
    QByteArray chunk(kChunk, 'v');
    std::vector<char> sink(kChunk);
    for (auto _ : state) {
        vesk::TAsyncSocket server, receiver, sender;
        server.SetAddr(QStringLiteral("127.0.0.1"));
        server.SetPort(QStringLiteral("0"));
        server.Listen();
        server.OnSessionAvailable = [&](vesk::TCustomAsyncSocket* s, int) { receiver.Dup(s->Accept()); };
        qint64 sent = 0, received = 0;
        receiver.OnDataAvailable = [&](vesk::TCustomAsyncSocket* s, int) {
            int n = s->Receive(sink.data(), int(sink.size()));
            if (n > 0)
                received += n;
        };
        sender.SetBufSize(blockSize);
        // OnDataSent: the queue is empty, the next chunk goes in.
        sender.OnDataSent = [&](vesk::TCustomAsyncSocket* s, int) {
            if (sent < kTotal) {
                s->Send(chunk.constData(), kChunk);
                sent += kChunk;
            }
        };
        sender.SetAddr(QStringLiteral("127.0.0.1"));
        sender.SetPort(server.LocalPort());
        sender.Connect();
        while (received < kTotal)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        sender.SetLingerOnOff(vesk::wsLingerOff);
        sender.SetLingerOption();
    }
    state.SetBytesProcessed(state.iterations() * kTotal);
}
BENCHMARK(AsyncSocketLoopback)->Arg(1514)->Arg(4096)->Arg(16384)->Arg(32768)->Arg(65536)->Unit(benchmark::kMillisecond)->UseRealTime();

void BlockingLoopback(benchmark::State& state)
{
    for (auto _ : state) {
        int listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof at;
        ::bind(listener, reinterpret_cast<sockaddr*>(&at), sizeof at);
        ::listen(listener, 1);
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&at), &length);
        int out = ::socket(AF_INET, SOCK_STREAM, 0);
        ::connect(out, reinterpret_cast<sockaddr*>(&at), sizeof at);
        int in = ::accept(listener, nullptr, nullptr);
        std::thread writer([out] {
            std::vector<char> chunk(kChunk, 'v');
            for (qint64 sent = 0; sent < kTotal;) {
                ssize_t n = ::send(out, chunk.data(), chunk.size(), 0);
                if (n <= 0)
                    break;
                sent += n;
            }
        });
        std::vector<char> sink(kChunk);
        for (qint64 received = 0; received < kTotal;) {
            ssize_t n = ::recv(in, sink.data(), sink.size(), 0);
            if (n <= 0)
                break;
            received += n;
        }
        writer.join();
        ::close(out);
        ::close(in);
        ::close(listener);
    }
    state.SetBytesProcessed(state.iterations() * kTotal);
}
BENCHMARK(BlockingLoopback)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    return vesk::bench::RunWithCoreApplication(argc, argv);
}
