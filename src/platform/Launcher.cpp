// Launching programs: command-line splitting, posix_spawn, reaping, and opening documents.
#include "platform/Launcher.h"

#include "platform/DesktopApps.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <vector>

#include <pthread.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vesk {
namespace {

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

int ErrorToResult(int error, const QString& program)
{
    switch (error) {
    case EAGAIN:
        return kLaunchNoResources;
    case ENOENT:
        // Tell "no such program" from "no such folder" for paths the user typed.
        if (program.contains(QLatin1Char('/')) &&
            !QFileInfo(QFileInfo(program).absolutePath()).isDir())
            return kLaunchPathNotFound;
        return kLaunchFileNotFound;
    case ENOTDIR:
    case ELOOP:
    case ENAMETOOLONG:
        return kLaunchPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case ETXTBSY:
        return kLaunchAccessDenied;
    case ENOMEM:
    case E2BIG:
        return kLaunchOutOfMemory;
    case ENOEXEC:
    case ELIBBAD:
        return kLaunchBadFormat;
    default:
        return kLaunchNoResources;
    }
}

void* ReapChild(void* arg)
{
    const pid_t pid = static_cast<pid_t>(reinterpret_cast<intptr_t>(arg));
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return nullptr;
}

// Collects the child's exit status in the background. A thread that waits
// for this one pid is used because the alternatives break other code: a
// SIGCHLD handler or SIG_IGN would take exit statuses away from QProcess, and
// waiting here would freeze the window thread for as long as the program runs.
// The thread sleeps in waitpid, so a small stack is plenty.
void StartReaper(pid_t pid)
{
    pthread_attr_t attr;
    if (pthread_attr_init(&attr) != 0)
        return;
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    pthread_attr_setstacksize(&attr, std::max<size_t>(PTHREAD_STACK_MIN, 64 * 1024));
    pthread_t thread;
    // Should no thread be available, the child stays a zombie until we exit:
    // it costs a process-table slot, and the launch itself has succeeded.
    pthread_create(&thread, &attr, ReapChild, reinterpret_cast<void*>(intptr_t(pid)));
    pthread_attr_destroy(&attr);
}

int Spawn(const QStringList& words)
{
    std::vector<QByteArray> encoded;
    encoded.reserve(words.size());
    for (const QString& w : words)
        encoded.push_back(QFile::encodeName(w));
    std::vector<char*> argv;
    for (QByteArray& a : encoded)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    if (posix_spawn_file_actions_init(&actions) != 0)
        return kLaunchOutOfMemory;
    if (posix_spawnattr_init(&attr) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return kLaunchOutOfMemory;
    }
    // Descriptors that some library opened without O_CLOEXEC (sockets, the
    // document being edited) must not leak into a program that may outlive us.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    // Its own session: closing the terminal we were started from must not
    // send SIGHUP to the program the user opened.
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK |
                                        POSIX_SPAWN_SETSIGDEF);

    pid_t pid = 0;
    // glibc's posix_spawnp reports a failed exec through its return value,
    // so every error below is known before we answer.
    const int error = posix_spawnp(&pid, argv[0], &actions, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        return ErrorToResult(error, words.first());
    StartReaper(pid);
    return kLaunchOk;
}

int OpenPath(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return kLaunchFileNotFound;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(info);
    const QString command = DefaultApplicationCommand(type.name());
    if (command.isEmpty())
        return kLaunchNoAssociation;
    return RunCommandLine(command, info.absoluteFilePath(), DocumentArgument::SubstituteOrAppend);
}

} // namespace

std::optional<QStringList> SplitCommandLine(const QString& commandLine)
{
    QStringList words;
    QString word;
    bool inWord = false;  // tells an empty quoted word ("") from no word
    const qsizetype n = commandLine.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = commandLine[i];
        if (IsBlank(c)) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == QLatin1Char('\\')) {
            if (++i == n)
                return std::nullopt;
            word += commandLine[i];
        } else if (c == QLatin1Char('\'')) {
            const qsizetype end = commandLine.indexOf(QLatin1Char('\''), i + 1);
            if (end < 0)
                return std::nullopt;
            word += commandLine.mid(i + 1, end - i - 1);
            i = end;
        } else if (c == QLatin1Char('"')) {
            for (++i;; ++i) {
                if (i >= n)
                    return std::nullopt;
                const QChar d = commandLine[i];
                if (d == QLatin1Char('"'))
                    break;
                if (d == QLatin1Char('\\') && i + 1 < n &&
                    QStringLiteral("\"\\$`").contains(commandLine[i + 1]))
                    word += commandLine[++i];
                else
                    word += d;
            }
        } else {
            word += c;
        }
    }
    if (inWord)
        words << word;
    return words;
}

namespace {

// A word in double quotes, with the characters that stay special inside
// them escaped.
QString DoubleQuoted(const QString& word)
{
    QString q = QStringLiteral("\"");
    for (const QChar c : word) {
        if (QStringLiteral("\"\\$`").contains(c))
            q += QLatin1Char('\\');
        q += c;
    }
    return q + QLatin1Char('"');
}

} // namespace

QString JoinCommandLine(const QStringList& words)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_@%+=:,./-]+$"));
    QStringList quoted;
    for (const QString& w : words)
        quoted << (plain.match(w).hasMatch() ? w : DoubleQuoted(w));
    return quoted.join(QLatin1Char(' '));
}

int RunCommandLine(const QString& commandLine, const std::optional<QString>& document,
                   DocumentArgument mode)
{
    std::optional<QStringList> words = SplitCommandLine(commandLine);
    if (!words || words->isEmpty())
        return kLaunchFileNotFound;
    if (document) {
        bool placed = false;
        if (mode == DocumentArgument::SubstituteOrAppend) {
            // The substitution happens after splitting, so blanks or quotes
            // in the document can never break it into several arguments.
            for (QString& w : *words) {
                const qsizetype at = w.indexOf(QStringLiteral("%1"));
                if (at >= 0) {
                    w.replace(at, 2, *document);
                    placed = true;
                    break;
                }
            }
        }
        if (!placed)
            words->append(*document);
    }
    if (words->first().isEmpty())
        return kLaunchFileNotFound;
    return Spawn(*words);
}

// The handler is found here instead of by running xdg-open and reading its
// exit status: that status arrives only after xdg-open has itself looked
// everything up (or, on some desktops, after the application has ended),
// and the window thread must neither block on it nor poll for it; "no
// application for this file" must also be known at once so the caller can
// offer an alternative in the same breath.
int ShellOpen(const QString& target)
{
    if (target.isEmpty())
        return kLaunchFileNotFound;
    // Two or more letters, so a stray "C:" is never mistaken for a scheme.
    static const QRegularExpression scheme(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]+):"));
    const QRegularExpressionMatch match = scheme.match(target);
    // A relative file whose name merely looks like "name:rest" is still a file.
    if (!match.hasMatch() || QFileInfo::exists(target))
        return OpenPath(target);
    const QString name = match.captured(1).toLower();
    if (name == QStringLiteral("file")) {
        const QUrl url(target);
        return url.isLocalFile() ? OpenPath(url.toLocalFile()) : kLaunchFileNotFound;
    }
    const QString command = DefaultApplicationCommand(QStringLiteral("x-scheme-handler/") + name);
    if (command.isEmpty())
        return kLaunchNoAssociation;
    return RunCommandLine(command, target, DocumentArgument::SubstituteOrAppend);
}

} // namespace vesk
