// FTP transfer throughput of TFtpClient against a server that is already
// running, for bench/compare_ftp.sh (which starts the servers and runs curl
// beside it). Binary transfers of one file, up and down, passive and active.
//
//   VESK_FTP_PORT=2121 VESK_FTP_USER=u VESK_FTP_PASS=p VESK_FTP_FILE=/tmp/100M ./build/bench/bench_ftp
// Optional: VESK_FTP_HOST (127.0.0.1), VESK_FTP_DIR (remote folder),
// VESK_FTP_BLOCK (the client's transfer block size in bytes).
#include "ftp/FtpClient.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include "BenchCoreMain.h"

#include <benchmark/benchmark.h>

namespace {

QString Env(const char* name, const char* fallback = "")
{
    QByteArray value = qgetenv(name);
    return value.isEmpty() ? QString::fromUtf8(fallback) : QString::fromLocal8Bit(value);
}

// Arguments: 0 upload, 1 download; 0 active, 1 passive.
void FtpTransfer(benchmark::State& state)
{
    const bool download = state.range(0) == 1;
    const bool passive = state.range(1) == 1;
    const QString file = Env("VESK_FTP_FILE");
    if (Env("VESK_FTP_PORT").isEmpty() || file.isEmpty()) {
        state.SkipWithError("set VESK_FTP_PORT, VESK_FTP_USER, VESK_FTP_PASS and VESK_FTP_FILE (see compare_ftp.sh)");
        return;
    }
    vesk::TFtpClient client;
    client.SetHostName(Env("VESK_FTP_HOST", "127.0.0.1"));
    client.SetPort(Env("VESK_FTP_PORT"));
    client.SetUserName(Env("VESK_FTP_USER"));
    client.SetPassWord(Env("VESK_FTP_PASS"));
    client.SetHostDirName(Env("VESK_FTP_DIR"));
    client.SetPassive(passive);
    client.SetTimeout(60);
    if (!Env("VESK_FTP_BLOCK").isEmpty())
        client.SetBlockSize(Env("VESK_FTP_BLOCK").toInt());
    if (!client.Connect() || (!client.HostDirName().isEmpty() && !client.ChangeDir()) || !client.TypeBinary()) {
        state.SkipWithError(client.ErrorMessage().toStdString().c_str());
        return;
    }
    client.SetHostFileName(QStringLiteral("bench.dat"));
    client.SetLocalFileName(file);
    if (download && !client.Put()) {
        state.SkipWithError(client.ErrorMessage().toStdString().c_str());
        return;
    }
    const qint64 bytes = QFileInfo(file).size();
    client.SetLocalFileName(download ? file + QStringLiteral(".down") : file);
    for (auto _ : state) {
        if (!(download ? client.Get() : client.Put())) {
            state.SkipWithError(client.ErrorMessage().toStdString().c_str());
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    client.Delete();
    client.Quit();
    QFile::remove(file + QStringLiteral(".down"));
}
BENCHMARK(FtpTransfer)
    ->ArgNames({"down", "passive"})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(3);

} // namespace

int main(int argc, char** argv)
{
    return vesk::bench::RunWithCoreApplication(argc, argv);
}
