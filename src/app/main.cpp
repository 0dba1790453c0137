// Entry point of HTML Vesk: one instance per user and display, then the main window.
#include "platform/ProgramFolder.h"
#include "platform/SingleInstance.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    // QApplication removes its own options (-platform, …) from argc/argv, so
    // what remains are document paths.
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("HTML Vesk"));

    // A second start hands its first document to the running instance and
    // ends here, before any window exists.
    vesk::SingleInstance instance;
    if (const std::optional<int> exitCode = vesk::HandOverIfRunning(argc, argv, instance))
        return *exitCode;

    vesk::ProgramFolder();  // chooses and seeds the program folder once, at start

    // Until the main window exists this plain window stands in for it.
    QMainWindow window;
    window.setObjectName(QStringLiteral("HTMLVeskMain"));
    window.setWindowTitle(QStringLiteral("HTML Vesk - Untitled"));
    window.setGeometry(101, 191, 604, 310);

    instance.SetCopyDataHandler([&window](vesk::SingleInstance*, int identifier, const QString&) {
        if (identifier == vesk::kOpenFileRecord) {
            if (window.isMinimized())
                window.showNormal();
            window.raise();
            window.activateWindow();
        }
        return 1;
    });

    window.show();
    return QApplication::exec();
}
