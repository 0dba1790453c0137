// Entry point of HTML Vesk: one instance per user and display, then the main window.
#include "app/MainWindow.h"
#include "platform/Autostart.h"
#include "platform/ProgramFolder.h"
#include "platform/SingleInstance.h"
#include "validator/CommandLineValidation.h"

#include <QApplication>
#include <QCoreApplication>
#include <QIcon>
#include <QSessionManager>

#include <cstring>
#include <iostream>

namespace {

const char* const kUsage =
    "Usage: htmlvesk [FILE]...\n"
    "       htmlvesk --validate FILE...\n"
    "       htmlvesk --help | --version\n"
    "\n"
    "HTML Vesk is an editor for people who write HTML by hand. It opens each\n"
    "FILE in a tab of its own; when HTML Vesk is already running, the first\n"
    "FILE opens there instead.\n"
    "\n"
    "  --validate FILE...  check each page against the HTML 4.01 Strict rules\n"
    "                      (4strict.ini in the program folder) without a window\n"
    "                      and print its name and its errors; exit status 0 when\n"
    "                      no page has errors, 1 when one has, 2 when a file\n"
    "                      cannot be read\n"
    "  --help              print this text and exit\n"
    "  --version           print the version and exit\n";

} // namespace

int main(int argc, char** argv)
{
    // Answered before anything else exists: no display is needed for them.
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::cout << kUsage << std::flush;
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "HTML Vesk " VESK_VERSION "\n" << std::flush;
        return 0;
    }

    // `htmlvesk --validate FILE…` checks pages for scripts: no display, no
    // window, no single-instance hand-over, so it works on a server and
    // beside a running editor.
    if (vesk::IsValidateCommand(argc, argv)) {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("HTML Vesk"));
        QStringList files;
        for (int i = 2; i < argc; ++i)
            files << QString::fromLocal8Bit(argv[i]);
        std::ios::sync_with_stdio(false);
        return vesk::ValidateFromCommandLine(files, std::cout, std::cerr);
    }

    // QApplication removes its own options (-platform, …) from argc/argv, so
    // what remains are document paths.
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("HTML Vesk"));
    // The installed desktop entry and icon (hicolor theme) name the windows.
    QGuiApplication::setDesktopFileName(QStringLiteral("htmlvesk"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("htmlvesk")));

    // A second start hands its first document to the running instance and
    // ends here, before any window exists.
    vesk::SingleInstance instance;
    if (const std::optional<int> exitCode = vesk::HandOverIfRunning(argc, argv, instance))
        return *exitCode;

    vesk::ProgramFolder();  // chooses and seeds the program folder once, at start
    // The entry left at the last session's end has done its work.
    vesk::RemoveSessionAutostart();

    vesk::THTMLVeskMain window;
    instance.SetCopyDataHandler([&window](vesk::SingleInstance*, int identifier, const QString& text) {
        return window.CopyDataReceived(identifier, text);
    });
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // The desktop session ending: save what the user wants kept and come
    // back at the next logon with the same documents.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
                     [&window](QSessionManager&) { window.SessionEnding(); });
    window.show();
    window.Form1Show(arguments);
    return QApplication::exec();
}
