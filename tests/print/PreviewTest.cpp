// The preview window: paging, and margins dragged with real mouse events.
#include "editor/VeskMemo.h"
#include "print/PrintPreview.h"
#include "print/VeskMemoPrinter.h"
#include "PrintTestUtil.h"

#include <QLabel>
#include <QPageSize>
#include <QPrinter>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace vesk {
namespace {

struct PreviewFixture {
    test::TempDir dir;
    TVeskMemoFile memo;
    TVeskMemoPrinter printer;
    std::unique_ptr<TFrmPrintPreview> preview;

    explicit PreviewFixture(int paragraphs)
    {
        std::string text;
        for (int i = 1; i <= paragraphs; ++i)
            text += "<p>Line " + std::to_string(i) + "</p>\r\n";
        memo.SetTextBuf(text);
        QPrinter& p = printer.Printer();
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(dir.file(QStringLiteral("out.pdf")));
        p.setPageSize(QPageSize(QPageSize::Letter));
        printer.SetLineSpacing(0.25f);  // 38 lines a page
        printer.SetMemoToPrint(&memo);
        preview = std::make_unique<TFrmPrintPreview>(printer);
        preview->resize(600, 800);
        preview->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(preview.get()));
    }
    template <class T>
    T* Child(const char* name) const
    {
        return preview->findChild<T*>(QString::fromLatin1(name));
    }
    QPoint InArea(double boxX, double boxY) const
    {
        return (preview->Box().topLeft() + QPointF(boxX, boxY)).toPoint();
    }
};

TEST(PrintPreview, PagesThroughTheDocument)
{
    PreviewFixture f(100);  // 101 lines: 3 pages
    auto* label = f.Child<QLabel>("PageLabel");
    auto* next = f.Child<QPushButton>("NextBtn");
    auto* prev = f.Child<QPushButton>("PrevBtn");
    const char* labels[] = {"Page 1/3", "Page 2/3", "Page 3/3", "Page 2/3"};
    for (int step = 0; step < 4; ++step) {
        if (step > 0)
            QTest::mouseClick(step < 3 ? next : prev, Qt::LeftButton);
        EXPECT_EQ(label->text(), QString::fromLatin1(labels[step]));
        EXPECT_EQ(prev->isEnabled(), step > 0) << step;
        EXPECT_EQ(next->isEnabled(), step != 2) << step;
    }
    // Fewer pages after a spacing change: the page index is clamped.
    f.preview->SetPage(2);
    f.printer.SetLineSpacing(0.125f);
    f.preview->SetPage(f.preview->Page());
    EXPECT_EQ(label->text(), QStringLiteral("Page 2/2"));
}

TEST(PrintPreview, LeftMarginDraggedPastTheRightStopsTenPixelsShort)
{
    PreviewFixture f(10);
    QWidget* area = f.preview->PageBoxWidget();
    QTest::mouseClick(f.Child<QPushButton>("MarginsBtn"), Qt::LeftButton);
    ASSERT_TRUE(f.preview->MarginsShown());
    const TBoxMargins lines = f.preview->BoxMarginLines();
    const double midY = f.preview->Box().height() / 2;

    QTest::mouseMove(area, f.InArea(lines.left, midY));
    EXPECT_EQ(area->cursor().shape(), Qt::SplitHCursor);
    QTest::mouseMove(area, f.InArea(200, lines.top));
    EXPECT_EQ(area->cursor().shape(), Qt::SplitVCursor);

    QTest::mousePress(area, Qt::LeftButton, {}, f.InArea(lines.left, midY));
    QTest::mouseMove(area, f.InArea(lines.right + 40, midY));
    QTest::mouseRelease(area, Qt::LeftButton, {}, f.InArea(lines.right + 40, midY));
    const double expected = (lines.right - kReleaseGap) / (f.printer.Device().ppiX * f.preview->Scale());
    EXPECT_NEAR(f.printer.MarginLeft(), expected, 1e-4);
    // The copy was wrapped again for the narrower column, and the new line
    // stands 10 box pixels left of the right one.
    const TBoxMargins after = f.preview->BoxMarginLines();
    EXPECT_NEAR(after.right - after.left, kReleaseGap, 0.01);
    EXPECT_GT(f.printer.PageCount(), 1);  // a few characters a line now

    // The bottom margin dragged up to the top one: only re-paginated.
    QTest::mousePress(area, Qt::LeftButton, {}, f.InArea(200, after.bottom));
    QTest::mouseMove(area, f.InArea(200, 0));
    QTest::mouseRelease(area, Qt::LeftButton, {}, f.InArea(200, 0));
    const TBoxMargins last = f.preview->BoxMarginLines();
    EXPECT_NEAR(last.bottom - last.top, kReleaseGap, 0.01);
}

TEST(PrintPreview, PrintButtonPrintsAndCloses)
{
    PreviewFixture f(100);
    int asked = 0;
    f.preview->ChoosePrinter = [&](QPrinter&, QWidget*) { return ++asked == 2; };
    QString error;
    f.preview->ReportError = [&](const QString& m) { error = m; };
    QTest::mouseClick(f.Child<QPushButton>("PrintBtn"), Qt::LeftButton);  // cancelled in the dialog
    EXPECT_TRUE(f.preview->isVisible());
    EXPECT_FALSE(QFile::exists(f.dir.file(QStringLiteral("out.pdf"))));
    QTest::mouseClick(f.Child<QPushButton>("PrintBtn"), Qt::LeftButton);
    EXPECT_FALSE(f.preview->isVisible());
    EXPECT_EQ(test::PdfPages(f.dir.file(QStringLiteral("out.pdf"))), 3);
    EXPECT_TRUE(error.isEmpty());

    // A job that fails is reported and the window stays.
    f.preview->show();
    f.printer.Printer().setOutputFileName(f.dir.file(QStringLiteral("no/such/folder.pdf")));
    f.preview->ChoosePrinter = [](QPrinter&, QWidget*) { return true; };
    QTest::mouseClick(f.Child<QPushButton>("PrintBtn"), Qt::LeftButton);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(f.preview->isVisible());
}

} // namespace
} // namespace vesk
