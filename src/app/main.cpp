// Entry point of HTML Vesk: one instance per user and display, then the main window.
#include "app/MainWindow.h"
#include "platform/CommandLine.h"
#include "platform/Autostart.h"
#include "platform/ProgramFolder.h"
#include "platform/SingleInstance.h"
#include "spell/CommandLineSpell.h"
#include "upload/CommandLineUpload.h"
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
    "       htmlvesk --spell [--suggest] FILE...\n"
    "       htmlvesk --upload [--site N|NAME] FILE...\n"
    "       htmlvesk --upload-bin [--site N|NAME]\n"
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
    "  --spell FILE...     check the spelling of each page without a window and\n"
    "                      print each word the check would stop at (line,\n"
    "                      column, word); --suggest adds the suggestions; exit\n"
    "                      status as for --validate\n"
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

    if (vesk::IsSpellCommand(argc, argv)) {  // the same, for `htmlvesk --spell [--suggest] FILE…`
        QCoreApplication app(argc, argv);
        const QStringList arguments = QCoreApplication::arguments().mid(2);
        std::ios::sync_with_stdio(false);
        return vesk::SpellFromCommandLine(arguments, std::cout, std::cerr);
    }

    // `htmlvesk --upload …` and `--upload-bin` publish for scripts, the same way.
    if (vesk::IsUploadCommand(argc, argv)) {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("HTML Vesk"));
        const QStringList arguments = QCoreApplication::arguments().mid(1);
        return vesk::UploadFromCommandLine(arguments, std::cerr);
    }

    // Qt sees only its own options: a document named like one ("-reverse")
    // stays a document, and names keep the bytes the file system holds.
    vesk::TProgramArguments sorted = vesk::SortProgramArguments(argc, argv);
    int qtArgc = sorted.QtArgumentCount();
    QApplication app(qtArgc, sorted.qtArguments.data());
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
    const QStringList arguments = sorted.documents;
    // The desktop session ending: save what the user wants kept and come
    // back at the next logon with the same documents.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
                     [&window](QSessionManager&) { window.SessionEnding(); });
    window.show();
    window.Form1Show(arguments);
    return QApplication::exec();
}
