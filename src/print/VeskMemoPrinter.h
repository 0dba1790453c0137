// TVeskMemoPrinter: prints an editor's text page by page on a Qt printer (a
// CUPS printer or a PDF file), with margins, a line spacing and a header and
// footer line, and opens the print preview.
//
// The printer works on a print copy: a hidden editor holding the source's
// text and settings, wrapped for the printer's fonts and page width, so the
// source editor is never re-formatted or changed. The copy is built on first
// use and kept until MemoToPrint or PlainText changes; its wrapping holds
// until the left or right margin (or the printer) changes.
#pragma once

#include "print/PrintLayout.h"

#include <QFont>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <stdexcept>

class QPainter;
class QPrinter;
class QWidget;

namespace vesk {

class TVeskMemo;
class TFrmPrintPreview;

// A print job that the printer refused or broke off; the message says why.
class EPrinterError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TVeskMemoPrinter : public QObject {
    Q_OBJECT
public:
    explicit TVeskMemoPrinter(QObject* parent = nullptr);
    ~TVeskMemoPrinter() override;

    // The editor whose text is printed (not owned; forgotten, with the copy,
    // when it is destroyed). Setting it discards the print copy.
    TVeskMemo* MemoToPrint() const { return memo_; }
    void SetMemoToPrint(TVeskMemo* memo);

    // Margins in inches. Left and right re-wrap the copy on next use; top
    // and bottom re-paginate at once.
    float MarginLeft() const { return margins_.left; }
    float MarginRight() const { return margins_.right; }
    float MarginTop() const { return margins_.top; }
    float MarginBottom() const { return margins_.bottom; }
    void SetMarginLeft(float inches);
    void SetMarginRight(float inches);
    void SetMarginTop(float inches);
    void SetMarginBottom(float inches);
    const TPrintMargins& Margins() const { return margins_; }

    // ≥ 0: inches from line to line; < 0: that many times the height of "A".
    float LineSpacing() const { return lineSpacing_; }
    void SetLineSpacing(float spacing);

    // Header and footer lines: empty prints none; the first "{p}" is the page number.
    QString Header() const { return header_; }
    void SetHeader(const QString& text) { header_ = text; }
    QString Footer() const { return footer_; }
    void SetFooter(const QString& text) { footer_ = text; }
    float HeaderYPos() const { return headerYPos_; }
    void SetHeaderYPos(float inches) { headerYPos_ = inches; }
    float FooterYPos() const { return footerYPos_; }
    void SetFooterYPos(float inches) { footerYPos_ = inches; }
    TPrintAlign HeaderAlign() const { return headerAlign_; }
    void SetHeaderAlign(TPrintAlign a) { headerAlign_ = a; }
    TPrintAlign FooterAlign() const { return footerAlign_; }
    void SetFooterAlign(TPrintAlign a) { footerAlign_ = a; }

    // Prints without highlighting; a change discards the print copy.
    bool PlainText() const { return plainText_; }
    void SetPlainText(bool on);

    // Raised with the print copy before it is wrapped for the printer.
    std::function<void(TVeskMemoPrinter* sender, TVeskMemo* copy)> OnFormatPrint;
    // Raised before each page and once at the end (CurrentPage −1).
    std::function<void(TVeskMemoPrinter* sender)> OnProgress;
    // Raised with the preview window before it is shown.
    std::function<void(TVeskMemoPrinter* sender, TFrmPrintPreview* preview)> OnPreview;

    // Pagination as of the last preparation.
    int PageCount() const { return pageCount_; }
    int LinesPerPage() const { return linesPerPage_; }
    // The page being printed; −1 outside a job.
    int CurrentPage() const { return currentPage_; }
    // An OnProgress handler sets this to stop after the current page.
    bool Cancel() const { return cancel_; }
    void SetCancel(bool on) { cancel_ = on; }

    // The printer jobs go to (owned). After changing its page or printer,
    // call PrinterChanged so the copy is wrapped again. A failed job
    // replaces it by a new printer with the same settings (a printer whose
    // output failed stays unusable), so take it afresh after Print.
    QPrinter& Printer() { return *printer_; }
    void PrinterChanged();

    // Prints every page of the printer's page range (all when none is set),
    // as many copies as asked. Prepares first. An error ends the job, sets
    // CurrentPage to −1, raises OnProgress and is thrown on as EPrinterError;
    // the source editor is never touched. Without MemoToPrint nothing is printed.
    void Print();
    // Opens the preview window modally over `parent`.
    void Preview(QWidget* parent = nullptr);

    // Builds and wraps the print copy as needed, reads the device values and
    // paginates. Nothing happens without MemoToPrint.
    void Prepare();
    // Re-computes lines per page and the page count (after a top or bottom margin change).
    void Paginate();

    // What the preview draws with (valid after Prepare).
    const TPrintDevice& Device() const { return device_; }
    int HeightOfA() const { return heightA_; }
    int Pitch() const;
    TVeskMemo* PrintCopy() const { return copy_.get(); }
    // Paints the display lines of page `page` with their top left at `origin`.
    void PaintPage(int page, QPointF origin, QPainter& painter);

private:
    void DiscardCopy();
    void BuildCopy();
    void ReadDevice();
    void ReplacePrinter();
    void DrawPageLine(QPainter& painter, const QString& text, TPrintAlign align, int y, int page);

    TVeskMemo* memo_ = nullptr;  // cleared when it is destroyed
    std::unique_ptr<TVeskMemo> copy_;
    std::unique_ptr<QPrinter> printer_;
    QMetaObject::Connection memoGone_;
    bool formatted_ = false;

    TPrintMargins margins_;
    float lineSpacing_ = -1.5f;
    QString header_, footer_;
    float headerYPos_ = 0.4f, footerYPos_ = 0.4f;
    TPrintAlign headerAlign_ = TPrintAlign::Left, footerAlign_ = TPrintAlign::Left;
    bool plainText_ = false;

    TPrintDevice device_;
    int heightA_ = 1;
    int pageCount_ = 1;
    int linesPerPage_ = 1;
    int currentPage_ = -1;
    bool cancel_ = false;
};

// The font of header and footer lines: "Courier New" 10, or the closest
// fixed-pitch font the system has.
QFont PageLineFont();

} // namespace vesk
