// Upload throughput over explicit TLS: 100 MiB of random bytes sent in
// passive mode to a vsftpd that this program starts on 127.0.0.1 (TLS
// required for logins and data, session reuse on), by curl and, beside it,
// by the program's own client. Needs root, vsftpd, openssl and curl.
//
//   ./build/bench/bench_ftps
#include "FtpServers.h"
#include "TestCertificates.h"

#include "ftp/FtpClient.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

#include "BenchCoreMain.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace vesk::test;

namespace {

constexpr qint64 kFileBytes = 100 * 1024 * 1024;

struct Setup {
    std::unique_ptr<Server> server;
    std::unique_ptr<TempDir> local;
    QString file;     // the 100 MiB to upload
    QString failure;  // why the benchmarks cannot run
};

std::unique_ptr<Setup> shared;

// Starts the server and writes the file on first use; main() ends both
// while the application object still exists.
Setup& Shared()
{
    if (shared)
        return *shared;
    shared = std::make_unique<Setup>();
    Setup& s = *shared;
    s.server = StartVsftpdTls();
    if (!s.server->process) {
        s.failure = s.server->unavailable;
        return s;
    }
    if (!s.server->process->Started()) {
        s.failure = s.server->process->Failure();
        return s;
    }
    s.local = std::make_unique<TempDir>();
    s.file = s.local->file("upload.dat");
    QByteArray bytes(kFileBytes, '\0');
    QRandomGenerator(2024).fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
    if (!WriteFileBytes(s.file, bytes))
        s.failure = "cannot write " + s.file;
    return s;
}

void BM_CurlUpload100MiB(benchmark::State& state)
{
    Setup& s = Shared();
    if (!s.failure.isEmpty()) {
        state.SkipWithError(s.failure.toStdString().c_str());
        return;
    }
    // TLS 1.2: over TLS 1.3 vsftpd answers about half of curl's uploads
    // with 426 (curl closes the data connection without reading the
    // server's session tickets); the cipher is AES-256-GCM either way.
    const QStringList arguments = {
        "-sS", "--ssl-reqd", "--tls-max", "1.2", "--cacert", Certificates().authority.cert, "--user",
        s.server->user + u':' + s.server->password, "-T", s.file,
        QStringLiteral("ftp://127.0.0.1:%1/pub/curl.dat").arg(s.server->port)};
    for (auto _ : state) {
        QProcess curl;
        curl.start("/usr/bin/curl", arguments);
        if (!curl.waitForFinished(600000) || curl.exitStatus() != QProcess::NormalExit || curl.exitCode() != 0) {
            curl.kill();
            curl.waitForFinished(5000);
            state.SkipWithError(("curl failed: " + curl.readAllStandardError()).constData());
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * kFileBytes);
    QFile::remove(s.server->root->file("pub/curl.dat"));
}
BENCHMARK(BM_CurlUpload100MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3);

// The program's own client, the same upload: passive mode, TLS required,
// the test authority trusted through SSL_CERT_FILE as any OpenSSL program
// would take it.
void BM_ClientUpload100MiB(benchmark::State& state)
{
    Setup& s = Shared();
    if (!s.failure.isEmpty()) {
        state.SkipWithError(s.failure.toStdString().c_str());
        return;
    }
    qputenv("SSL_CERT_FILE", QFile::encodeName(Certificates().authority.cert));
    for (auto _ : state) {
        vesk::TFtpClient client;
        client.SetHostName("127.0.0.1");
        client.SetPort(QString::number(s.server->port));
        client.SetUserName(s.server->user);
        client.SetPassWord(s.server->password);
        client.SetPassive(true);
        client.SetTimeout(120);
        client.SetEncryption(vesk::ftpTlsRequired);
        client.SetHostDirName("pub");
        client.SetHostFileName("client.dat");
        client.SetLocalFileName(s.file);
        if (!client.Connect() || !client.ChangeDir() || !client.Put()) {
            state.SkipWithError(("upload failed: " + client.ErrorMessage()).toStdString().c_str());
            break;
        }
        client.Quit();
    }
    state.SetBytesProcessed(state.iterations() * kFileBytes);
    QFile::remove(s.server->root->file("pub/client.dat"));
}
BENCHMARK(BM_ClientUpload100MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3);

} // namespace

int main(int argc, char** argv)
{
    // The server stops, by its process id, while the application exists.
    return vesk::bench::RunWithCoreApplication(argc, argv, [] { shared.reset(); });
}
