// The printer on PDF files: pagination, header and footer lines, colours,
// bad input and failing jobs, read back with poppler's tools.
#include "editor/KeyLists.h"
#include "editor/VeskMemo.h"
#include "print/VeskMemoPrinter.h"
#include "PrintTestUtil.h"

#include <QPageSize>
#include <QPrinter>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace vesk {
namespace {

using test::PdfLines;
using test::PdfPages;
using test::PdfWords;

// An editor with `text`, and a printer writing Letter pages to a PDF file.
struct PdfJob {
    test::TempDir dir;
    std::unique_ptr<TVeskMemoFile> memo = std::make_unique<TVeskMemoFile>();
    TVeskMemoPrinter printer;
    QString pdf = dir.file(QStringLiteral("out.pdf"));

    explicit PdfJob(const std::string& text)
    {
        QFont font(QStringLiteral("DejaVu Sans Mono"), 10);
        memo->SetFont(font);
        memo->SetTextBuf(text);
        memo->SetModified(false);
        QPrinter& p = printer.Printer();
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(pdf);
        p.setPageSize(QPageSize(QPageSize::Letter));
        p.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        printer.PrinterChanged();
        printer.SetMemoToPrint(memo.get());
    }
};

// n paragraphs "L1" … "Ln", without a break after the last.
std::string Numbered(int n)
{
    std::string text;
    for (int i = 1; i <= n; ++i)
        text += (i > 1 ? "\r\n" : "") + std::string("L") + std::to_string(i);
    return text;
}

TEST(Printer, HeaderOfPageThreeNamesTheFileCentred)
{
    // On a sheet the printer reaches whole, and on one with an unprintable
    // border: the lines stand at the same places on the paper.
    for (double border : {0.0, 10.0}) {
        SCOPED_TRACE(border);
        PdfJob job(Numbered(200));
        job.printer.Printer().setPageMargins(QMarginsF(border, border, border, border), QPageLayout::Millimeter);
        job.printer.PrinterChanged();
        job.printer.SetHeader(QStringLiteral("page.htm - {p}"));
        job.printer.SetHeaderAlign(TPrintAlign::Center);
        job.printer.Print();
        ASSERT_GE(job.printer.PageCount(), 3);
        EXPECT_EQ(PdfPages(job.pdf), job.printer.PageCount());
        EXPECT_EQ(PdfLines(job.pdf, 3).value(0), QStringLiteral("page.htm - 3"));
        // The header's words, centred between the margins: the middle of the
        // text column of a 612-point sheet, 54 points in from the left and 36
        // from the right.
        std::vector<test::PdfWord> header, body;
        for (const test::PdfWord& w : PdfWords(job.pdf, 3))
            (w.yMax < 54 ? header : body).push_back(w);
        ASSERT_EQ(header.size(), 3u);
        EXPECT_EQ(header[0].text, QStringLiteral("page.htm"));
        EXPECT_NEAR((header.front().xMin + header.back().xMax) / 2, (54 + 612 - 36) / 2.0, 3.0);
        EXPECT_NEAR(header[0].yMin, 0.4 * 72, 4.0);  // 0.4 inch below the top edge
        ASSERT_FALSE(body.empty());
        EXPECT_NEAR(body[0].xMin, 54, 2.0);  // the text at the left margin
        EXPECT_NEAR(body[0].yMin, 54, 4.0);  // and below the top one
    }
}

TEST(Printer, LineSpacingDecidesTheLinesOnAPage)
{
    struct Row {
        float spacing;
        int expected;  // lines per page; 0: as the text height says
    } rows[] = {{0.25f, 38}, {-1.5f, 0}, {-3.0f, 0}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.spacing);
        PdfJob job(Numbered(300));
        job.printer.SetLineSpacing(r.spacing);
        job.printer.Print();
        const int ppi = job.printer.Device().ppiY;
        const int pitch = r.spacing >= 0 ? int(std::lround(r.spacing * ppi))
                                         : int(std::lround(-r.spacing * job.printer.HeightOfA()));
        const int expected = r.expected ? r.expected : int((11 - 1.5) * ppi / pitch);
        EXPECT_EQ(job.printer.LinesPerPage(), expected);
        // Page 1 holds that many lines, page 2 goes on with the next.
        const QStringList page1 = PdfLines(job.pdf, 1);
        EXPECT_EQ(page1.size(), expected);
        EXPECT_EQ(page1.value(expected - 1), QStringLiteral("L%1").arg(expected));
        EXPECT_EQ(PdfLines(job.pdf, 2).value(0), QStringLiteral("L%1").arg(expected + 1));
    }
}

TEST(Printer, PagesWithHeaderWithoutFieldAndFooter)
{
    // 38 lines a page at a quarter inch on Letter.
    struct Row {
        std::string text;
        int pages;
    } rows[] = {{"", 1}, {Numbered(38), 2}, {Numbered(77), 3}};  // a full last page gets one more
    for (const Row& r : rows) {
        PdfJob job(r.text);
        job.printer.SetLineSpacing(0.25f);
        job.printer.SetHeader(QStringLiteral("Same header"));
        job.printer.SetFooter(QStringLiteral("Footer {p} of many"));
        job.printer.Print();
        EXPECT_EQ(job.printer.PageCount(), r.pages) << r.text.size();
        ASSERT_EQ(PdfPages(job.pdf), r.pages) << r.text.size();
        for (int page = 1; page <= r.pages; ++page) {
            const QStringList lines = PdfLines(job.pdf, page);
            EXPECT_EQ(lines.value(0), QStringLiteral("Same header"));
            EXPECT_EQ(lines.value(lines.size() - 1), QStringLiteral("Footer %1 of many").arg(page));
        }
    }
}

// Pixels of a page close to `colour`.
int CountColour(const QImage& image, QColor colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) < 30 && std::abs(c.green() - colour.green()) < 30
                && std::abs(c.blue() - colour.blue()) < 30)
                ++n;
        }
    return n;
}

TEST(Printer, TagsComeOutColouredUnlessPlain)
{
    for (bool plain : {false, true}) {
        PdfJob job("<p>Some <b>bold</b> text</p>\r\n<p>more</p>");
        auto keys = std::make_shared<TStartStopKeyList>();
        AddHtmlStartStopKeys(*keys);
        job.memo->Highlighting().SetStartStopKeys(keys);
        job.printer.SetPlainText(plain);
        job.printer.Print();
        const QImage image = test::PdfImage(job.pdf, 1, job.dir);
        ASSERT_FALSE(image.isNull());
        // Tags on the yellow of the document editors.
        EXPECT_EQ(CountColour(image, QColor(255, 255, 0)) > 20, !plain) << plain;
        job.memo->Highlighting().SetStartStopKeys(nullptr);
    }
}

TEST(Printer, BadInputEndsWithASensiblePageCount)
{
    struct Row {
        const char* what;
        std::string text;
        float margin;   // left and right, and top and bottom
        float spacing;
        int pages;      // 0: only checked against the PDF
    } rows[] = {
        {"one line of 1 MB", std::string(1 << 20, 'x'), 0.75f, -1.5f, 0},
        {"margins wider than the page", "abc", 20.0f, -1.5f, 4},  // a character a line, a line a page
        {"huge line spacing", Numbered(5), 0.75f, -1e30f, 6},
        {"zero spacing", Numbered(5), 0.75f, 0.0f, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        PdfJob job(r.text);
        job.printer.SetMarginLeft(r.margin);
        job.printer.SetMarginRight(r.margin);
        job.printer.SetMarginTop(r.margin);
        job.printer.SetMarginBottom(r.margin);
        job.printer.SetLineSpacing(r.spacing);
        job.printer.Print();
        if (r.pages)
            EXPECT_EQ(job.printer.PageCount(), r.pages);
        EXPECT_GE(job.printer.PageCount(), 1);
        EXPECT_EQ(PdfPages(job.pdf), job.printer.PageCount());
    }
}

TEST(Printer, AFailingJobEndsReportsAndLeavesTheDocument)
{
    struct Row {
        const char* output;
        int pagesStarted;  // before the failure
    } rows[] = {
        {"missing/folder/out.pdf", 0},  // refused at the start
        {"/dev/full", 2},               // the device fills up in the middle of the job
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.output);
        PdfJob job(Numbered(3000));
        job.memo->SetSelStart(5);
        const std::string before = job.memo->GetTextPart(0, job.memo->CharCount());
        const QString output = QString::fromLatin1(r.output);
        job.printer.Printer().setOutputFileName(output.startsWith(QLatin1Char('/')) ? output : job.dir.file(output));
        std::vector<int> progress;
        job.printer.OnProgress = [&](TVeskMemoPrinter* p) { progress.push_back(p->CurrentPage()); };
        EXPECT_THROW(job.printer.Print(), EPrinterError);
        EXPECT_EQ(job.printer.CurrentPage(), -1);
        ASSERT_FALSE(progress.empty());
        EXPECT_EQ(progress.back(), -1);
        EXPECT_GE(int(progress.size()) - 1, r.pagesStarted);
        EXPECT_LT(int(progress.size()) - 1, job.printer.PageCount());
        EXPECT_EQ(job.memo->GetTextPart(0, job.memo->CharCount()), before);
        EXPECT_FALSE(job.memo->Modified());
        EXPECT_EQ(job.memo->SelStart(), 5);
        // The next job on a good file prints, with the same page.
        EXPECT_EQ(job.printer.Printer().pageLayout().pageSize().id(), QPageSize::Letter);
        job.printer.Printer().setOutputFileName(job.pdf);
        job.printer.Print();
        EXPECT_EQ(PdfPages(job.pdf), job.printer.PageCount());
    }
}

TEST(Printer, PageRangeCopiesAndCancel)
{
    // 200 lines: 6 pages of 38; "stop" cancels when that page comes up.
    struct Row {
        int from, to, copies, stop;
        std::vector<int> progress;
        QString firstLine;
    } rows[] = {
        {0, 0, 1, 1, {0, 1, -1}, QStringLiteral("L1")},
        {2, 3, 1, -1, {1, 2, -1}, QStringLiteral("L39")},
        {5, 9, 2, -1, {4, 5, 4, 5, -1}, QStringLiteral("L153")},  // a range past the end stops at the last page
    };
    for (const Row& r : rows) {
        PdfJob job(Numbered(200));
        job.printer.SetLineSpacing(0.25f);
        if (r.from) {
            job.printer.Printer().setPrintRange(QPrinter::PageRange);
            job.printer.Printer().setFromTo(r.from, r.to);
        }
        job.printer.Printer().setCopyCount(r.copies);
        std::vector<int> progress;
        job.printer.OnProgress = [&](TVeskMemoPrinter* p) {
            progress.push_back(p->CurrentPage());
            if (p->CurrentPage() == r.stop)
                p->SetCancel(true);
        };
        job.printer.Print();
        EXPECT_EQ(progress, r.progress) << r.from;
        EXPECT_EQ(PdfPages(job.pdf), int(r.progress.size()) - (r.stop >= 0 ? 2 : 1)) << r.from;
        EXPECT_EQ(PdfLines(job.pdf, 1).value(0), r.firstLine) << r.from;
    }
}

TEST(Printer, OnFormatPrintChangesOnlyTheCopy)
{
    PdfJob job(Numbered(300));
    job.printer.Prepare();
    const int before = job.printer.LinesPerPage();
    TVeskMemo* seen = nullptr;
    job.printer.OnFormatPrint = [&](TVeskMemoPrinter*, TVeskMemo* copy) {
        seen = copy;
        QFont big = copy->Font();
        big.setPointSize(20);
        copy->SetFont(big);
    };
    job.printer.SetMarginRight(1.0f);  // the copy is wrapped again
    job.printer.Prepare();
    EXPECT_EQ(seen, job.printer.PrintCopy());
    EXPECT_LT(job.printer.LinesPerPage(), before * 2 / 3);  // "A" is twice as high now
    EXPECT_EQ(job.memo->Font().pointSize(), 10);
}

TEST(Printer, ForgetsAnEditorThatGoes)
{
    PdfJob job(Numbered(10));
    job.printer.Prepare();
    ASSERT_NE(job.printer.PrintCopy(), nullptr);
    job.memo.reset();
    EXPECT_EQ(job.printer.MemoToPrint(), nullptr);
    EXPECT_EQ(job.printer.PrintCopy(), nullptr);
    job.printer.Print();  // nothing to print, nothing breaks
}

} // namespace
} // namespace vesk
