// Entry point of HTML Vesk.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("HTML Vesk"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("HTML Vesk - Untitled"));
    window.resize(604, 310);
    window.show();
    return app.exec();
}
