// TFrmPrintPreview: one page of a TVeskMemoPrinter's output at the window's
// scale, with paging, printing, printer setup and margins dragged with the
// mouse.
//
// The window owns nothing of the printer's: it reads the device values and
// pagination from it, paints the print copy's lines at the printer's
// positions scaled into the page box, and writes margins back to it.
#pragma once

#include "print/PrintLayout.h"

#include <QDialog>

#include <functional>
#include <optional>

class QLabel;
class QPrinter;
class QPushButton;
class QWidget;

namespace vesk {

class TVeskMemoPrinter;

class TFrmPrintPreview : public QDialog {
    Q_OBJECT
public:
    TFrmPrintPreview(TVeskMemoPrinter& printer, QWidget* parent = nullptr);

    // Lets the user choose the printer, copies and page range; false
    // cancels printing. The default is the system's print dialog.
    std::function<bool(QPrinter& printer, QWidget* parent)> ChoosePrinter;
    // Tells the user why a job failed. The default is a standard message box.
    std::function<void(const QString& message)> ReportError;

    // "&Print": asks for the printer, prints every page with a progress
    // window that can cancel, then closes; after an error the window stays.
    void PrintClick();
    // "Printer &Setup...": the system's page and printer setup.
    void SetupClick();
    void NextPage();
    void PreviousPage();

    int Page() const { return page_; }
    void SetPage(int page);
    QWidget* PageBoxWidget() const { return area_; }
    // The page box within PageBoxWidget(), and its box pixels per device pixel.
    QRectF Box() const { return box_; }
    double Scale() const { return scale_; }
    // The margin lines in box coordinates.
    TBoxMargins BoxMarginLines() const;
    bool MarginsShown() const;

protected:
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // Re-reads the printer's layout: prepares it, places the box, clamps the
    // page, updates the label and buttons, repaints.
    void Relayout();
    void PaintArea();
    void MouseMove(QPointF at, bool buttonDown);
    void MousePress(QPointF at);
    void MouseRelease(QPointF at);

    TVeskMemoPrinter& printer_;
    QWidget* panel_;
    QWidget* area_;
    QPushButton* marginsBtn_;
    QPushButton* prevBtn_;
    QPushButton* nextBtn_;
    QLabel* pageLabel_;
    int page_ = 0;
    QRectF box_;
    double scale_ = 1;
    std::optional<TMarginEdge> dragging_;
    double dragPos_ = 0;
};

} // namespace vesk
