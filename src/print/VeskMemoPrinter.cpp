// The printer: the print copy, the device values, pagination and the job.
#include "print/VeskMemoPrinter.h"

#include "editor/VeskMemo.h"
#include "print/PrintPreview.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <utility>

namespace vesk {

QFont PageLineFont()
{
    QFont font(QStringLiteral("Courier New"), 10);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    if (!QFontInfo(font).fixedPitch())
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont), font.setPointSize(10);
    return font;
}

TVeskMemoPrinter::TVeskMemoPrinter(QObject* parent)
    : QObject(parent), printer_(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
}

TVeskMemoPrinter::~TVeskMemoPrinter()
{
    DiscardCopy();
}

void TVeskMemoPrinter::SetMemoToPrint(TVeskMemo* memo)
{
    DiscardCopy();
    QObject::disconnect(memoGone_);
    memo_ = memo;
    if (memo) {
        // The copy may share the source's key list; both go with the source.
        memoGone_ = connect(memo, &QObject::destroyed, this, [this]() {
            memo_ = nullptr;
            DiscardCopy();
        });
    }
}

void TVeskMemoPrinter::SetPlainText(bool on)
{
    if (on == plainText_)
        return;
    plainText_ = on;
    DiscardCopy();
}

void TVeskMemoPrinter::SetMarginLeft(float inches)
{
    if (inches != margins_.left)
        margins_.left = inches, formatted_ = false;
}

void TVeskMemoPrinter::SetMarginRight(float inches)
{
    if (inches != margins_.right)
        margins_.right = inches, formatted_ = false;
}

void TVeskMemoPrinter::SetMarginTop(float inches)
{
    if (inches != margins_.top)
        margins_.top = inches, Paginate();
}

void TVeskMemoPrinter::SetMarginBottom(float inches)
{
    if (inches != margins_.bottom)
        margins_.bottom = inches, Paginate();
}

void TVeskMemoPrinter::SetLineSpacing(float spacing)
{
    lineSpacing_ = spacing;
    if (formatted_)
        Paginate();
}

void TVeskMemoPrinter::PrinterChanged()
{
    formatted_ = false;
}

void TVeskMemoPrinter::ReplacePrinter()
{
    // A printer whose output failed once keeps failing (its stream stays in
    // error), so the next job gets a new one with the same choices.
    const QPrinter& old = *printer_;
    auto fresh = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (old.outputFormat() == QPrinter::NativeFormat)
        fresh->setPrinterName(old.printerName());
    else
        fresh->setOutputFormat(old.outputFormat());
    fresh->setOutputFileName(old.outputFileName());
    fresh->setResolution(old.resolution());
    fresh->setPageLayout(old.pageLayout());
    fresh->setFullPage(old.fullPage());
    fresh->setCopyCount(old.copyCount());
    fresh->setCollateCopies(old.collateCopies());
    fresh->setColorMode(old.colorMode());
    fresh->setDuplex(old.duplex());
    fresh->setPageOrder(old.pageOrder());
    fresh->setPrintRange(old.printRange());
    fresh->setFromTo(old.fromPage(), old.toPage());
    fresh->setDocName(old.docName());
    fresh->setCreator(old.creator());
    fresh->setPdfVersion(old.pdfVersion());
    // The copy was measured on the old printer: wrap it for the new one
    // before the old one goes.
    std::unique_ptr<QPrinter> retired = std::exchange(printer_, std::move(fresh));
    formatted_ = false;
    Prepare();
}

void TVeskMemoPrinter::DiscardCopy()
{
    if (copy_)
        copy_->Highlighting().SetStartStopKeys(nullptr);
    copy_.reset();
    formatted_ = false;
}

void TVeskMemoPrinter::BuildCopy()
{
    auto copy = std::make_unique<TVeskMemo>();
    copy->SetUpdateMode(TVeskUpdateMode::umOnNeed);
    copy->SetScrollBars(TVeskScrollBars::None);
    copy->SetMargins(0, 0);
    copy->SetAlignment(memo_->Alignment());
    copy->SetAltFont(memo_->AltFont());
    copy->Highlighting().SetSeparatorSet(memo_->Highlighting().SeparatorSet());
    copy->SetJustified(memo_->Justified());
    copy->SetFont(memo_->Font());
    copy->SetTabStops(memo_->TabStops());
    copy->SetWordWrap(memo_->WordWrap());
    copy->SetNullReplacement(memo_->NullReplacement());
    // Paper is white whatever the desktop's colours.
    QPalette palette = copy->palette();
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::Base, Qt::white);
    copy->setPalette(palette);
    THighlightEngine& engine = copy->Highlighting();
    if (plainText_) {
        engine.SetApplyKeyWords(false);
        engine.SetApplyStartStopKeys(false);
    } else {
        engine.SetApplyKeyWords(memo_->Highlighting().ApplyKeyWords());
        engine.SetApplyStartStopKeys(memo_->Highlighting().ApplyStartStopKeys());
        engine.SetHighlighter(memo_->Highlighting().Highlighter());
    }
    copy->SetTextBuf(memo_->GetTextPart(0, memo_->CharCount()));
    copy_ = std::move(copy);
    formatted_ = false;
}

void TVeskMemoPrinter::ReadDevice()
{
    const QRect paper = printer_->paperRect(QPrinter::DevicePixel).toRect();
    const QRect page = printer_->pageRect(QPrinter::DevicePixel).toRect();
    device_.physicalWidth = std::max(1, paper.width());
    device_.physicalHeight = std::max(1, paper.height());
    device_.offsetX = page.left() - paper.left();
    device_.offsetY = page.top() - paper.top();
    device_.printableWidth = page.width();
    device_.printableHeight = page.height();
    device_.ppiX = std::max(1, printer_->logicalDpiX());
    device_.ppiY = std::max(1, printer_->logicalDpiY());
}

void TVeskMemoPrinter::Prepare()
{
    if (!memo_)
        return;
    if (!copy_)
        BuildCopy();
    if (!formatted_) {
        if (OnFormatPrint)
            OnFormatPrint(this, copy_.get());
        ReadDevice();
        // The extent of "A": the font's full height at the printer's resolution.
        heightA_ = std::max(1, QFontMetrics(copy_->Font(), printer_.get()).height());
        if (!plainText_) {
            // The copy keeps the source's rules (the start/stop list is
            // shared, never changed here) so it can be re-wrapped later.
            THighlightEngine& engine = copy_->Highlighting();
            engine.Keywords().Assign(memo_->Highlighting().Keywords());
            engine.SetStartStopKeys(memo_->Highlighting().StartStopKeys());
            engine.ReApplyKeywords();
        }
        copy_->FormatFor(printer_.get(), FormatWidth(device_, margins_));
        formatted_ = true;
    }
    Paginate();
}

int TVeskMemoPrinter::Pitch() const
{
    return LinePitch(lineSpacing_, device_.ppiY, heightA_);
}

void TVeskMemoPrinter::Paginate()
{
    if (!copy_ || !formatted_)
        return;
    linesPerPage_ = vesk::LinesPerPage(device_, margins_, Pitch());
    pageCount_ = vesk::PageCount(copy_->LineCount(), linesPerPage_);
}

void TVeskMemoPrinter::PaintPage(int page, QPointF origin, QPainter& painter)
{
    if (!copy_ || page < 0)
        return;
    const std::int64_t first = std::int64_t(page) * linesPerPage_;
    if (first >= copy_->LineCount())
        return;
    const std::int64_t last = std::min<std::int64_t>(first + linesPerPage_ - 1, copy_->LineCount() - 1);
    copy_->PaintTo(std::int32_t(first), std::int32_t(last), Pitch(), origin, painter);
}

void TVeskMemoPrinter::DrawPageLine(QPainter& painter, const QString& text, TPrintAlign align, int y, int page)
{
    if (text.isEmpty())
        return;
    const QString line = PageLineText(text, page);
    const QFont font = PageLineFont();
    const QFontMetrics metrics(font, printer_.get());
    painter.setFont(font);
    painter.setPen(Qt::black);
    const int x = PageLineX(align, device_, margins_, metrics.horizontalAdvance(line));
    painter.drawText(x, y + metrics.ascent(), line);
}

void TVeskMemoPrinter::Print()
{
    cancel_ = false;
    if (!memo_)
        return;
    Prepare();
    QPainter painter;
    auto endJob = [&](bool failed) {
        // A job that failed is aborted, so the printer lets go of its output
        // and the next job starts afresh.
        if (failed && painter.isActive())
            printer_->abort();
        if (painter.isActive())
            painter.end();
        if (failed)
            ReplacePrinter();
        currentPage_ = -1;
        if (OnProgress)
            OnProgress(this);
    };
    try {
        if (!painter.begin(printer_.get()))
            throw EPrinterError("The printer could not start the job.");
        const QPointF origin(PageOriginX(device_, margins_), PageOriginY(device_, margins_));
        int from = 0, to = pageCount_ - 1;
        if (printer_->printRange() == QPrinter::PageRange && printer_->fromPage() > 0) {
            from = printer_->fromPage() - 1;
            to = std::min(to, std::max(from, printer_->toPage() - 1));
        }
        // Printers that cannot make copies themselves (PDF files) get every page again.
        const int copies = printer_->supportsMultipleCopies() ? 1 : std::max(1, printer_->copyCount());
        bool firstSheet = true;
        for (int c = 0; c < copies && !cancel_; ++c) {
            for (int i = from; i <= to; ++i) {
                currentPage_ = i;
                if (OnProgress)
                    OnProgress(this);
                if (cancel_)
                    break;
                if (!firstSheet && !printer_->newPage())
                    throw EPrinterError("The printer could not start a new page.");
                firstSheet = false;
                DrawPageLine(painter, header_, headerAlign_, HeaderY(device_, headerYPos_), i);
                DrawPageLine(painter, footer_, footerAlign_, FooterY(device_, footerYPos_), i);
                PaintPage(i, origin, painter);
                if (printer_->printerState() == QPrinter::Error)
                    throw EPrinterError("The printer reported an error.");
            }
        }
        if (!painter.end() || printer_->printerState() == QPrinter::Error)
            throw EPrinterError("The printer could not finish the job.");
    } catch (...) {
        endJob(true);
        throw;
    }
    endJob(false);
}

void TVeskMemoPrinter::Preview(QWidget* parent)
{
    TFrmPrintPreview preview(*this, parent);
    if (OnPreview)
        OnPreview(this, &preview);
    preview.exec();
}

} // namespace vesk
