// File > Print and the Print button: the preview of the document the
// command started with.
#include "app/MainWindow.h"
#include "app/MsgBox.h"
#include "app/PrintEntry.h"
#include "editor/VeskMemo.h"
#include "print/PrintPreview.h"
#include "print/VeskMemoPrinter.h"
#include "support/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <gtest/gtest.h>

namespace vesk {
namespace {

TEST(PrintCommand, OpensThePreviewOfTheCurrentDocument)
{
    test::ScopedProgramFolder home;
    MsgBoxScript::Scope script;
    THTMLVeskMain window;
    TVeskMemoFile* editor = window.CurrentEditor();
    editor->SetTextBuf("<html>\r\n<body>Hello</body>\r\n</html>");
    editor->SetFileName(home.file(QStringLiteral("site/index.htm")));
    window.RichEditUpdate();
    editor->SetModified(false);
    TVeskMemoPrinter& printer = window.Entry<TPrintEntry>()->Printer();

    struct Seen {
        QString title, header, label;
        TVeskMemo* memo = nullptr;
    };
    for (const char* command : {"Print1", "PrintBtn"}) {
        Seen seen;
        QTimer::singleShot(0, &window, [&]() {
            auto* preview = qobject_cast<TFrmPrintPreview*>(QApplication::activeModalWidget());
            ASSERT_NE(preview, nullptr);
            seen.title = preview->windowTitle();
            seen.header = printer.Header();
            seen.memo = printer.MemoToPrint();
            seen.label = preview->findChild<QLabel*>(QStringLiteral("PageLabel"))->text();
            preview->reject();
        });
        QAction* action = window.Action(command);
        ASSERT_NE(action, nullptr) << command;
        ASSERT_TRUE(action->isEnabled()) << command;
        action->trigger();
        EXPECT_EQ(seen.title, QStringLiteral("Print Preview")) << command;
        EXPECT_EQ(seen.header, QStringLiteral("index.htm - {p}")) << command;
        EXPECT_EQ(seen.memo, editor) << command;
        EXPECT_EQ(seen.label, QStringLiteral("Page 1/1")) << command;
        EXPECT_EQ(printer.MemoToPrint(), nullptr) << command;  // let go after the preview
    }
    EXPECT_FALSE(editor->Modified());
}

} // namespace
} // namespace vesk
