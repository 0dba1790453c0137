// Entry point of HTML Vesk: one instance per user and display, then the main window.
#include "editor/KeyLists.h"
#include "editor/VeskGutter.h"
#include "editor/VeskMemo.h"
#include "platform/ProgramFolder.h"
#include "platform/SingleInstance.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMainWindow>
#include <QMessageBox>

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

    // Until the main window with its document tabs exists, one document
    // editor stands in for it.
    QMainWindow window;
    window.setObjectName(QStringLiteral("HTMLVeskMain"));
    window.setWindowTitle(QStringLiteral("HTML Vesk - Untitled"));
    window.setGeometry(101, 191, 604, 310);
    auto* page = new QWidget(&window);
    auto* layout = new QHBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* gutter = new vesk::TVeskGutter(page);
    gutter->setObjectName(QStringLiteral("PG0"));
    gutter->setFixedWidth(30);
    auto* editor = new vesk::TVeskMemoFile(page);
    editor->setObjectName(QStringLiteral("RE0"));
    auto keys = std::make_shared<vesk::TStartStopKeyList>();
    vesk::AddHtmlStartStopKeys(*keys);
    editor->Highlighting().SetStartStopKeys(keys);
    editor->Highlighting().SetApplyKeyWords(false);
    editor->SetScrollBars(vesk::TVeskScrollBars::Vertical);
    editor->SetCaretWidth(2);
    editor->SetHideSelection(false);
    editor->SetEndOfTextMark(QPen(Qt::NoPen));
    layout->addWidget(gutter);
    layout->addWidget(editor);
    gutter->SetMemo(editor);
    window.setCentralWidget(page);
    if (argc > 1) {
        QFile file(QString::fromLocal8Bit(argv[1]));
        if (file.open(QIODevice::ReadOnly)) {
            editor->LoadFromStream(file);
            editor->SetFileName(QFileInfo(file).absoluteFilePath());
            editor->SetModified(false);
            window.setWindowTitle(QStringLiteral("HTML Vesk - ") + editor->FileName());
        } else {
            QMessageBox::critical(&window, QStringLiteral("HTML Vesk"),
                                  QStringLiteral("Cannot open file %1").arg(file.fileName()));
        }
    }

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
