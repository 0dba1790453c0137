// The print preview window.
#include "print/PrintPreview.h"

#include "editor/VeskMemo.h"
#include "print/VeskMemoPrinter.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace vesk {
namespace {

constexpr double kGrabTolerance = 3;

QPushButton* Button(QWidget* panel, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, panel);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    panel->layout()->addWidget(button);
    return button;
}

bool Horizontal(TMarginEdge edge)
{
    return edge == TMarginEdge::Left || edge == TMarginEdge::Right;
}

} // namespace

TFrmPrintPreview::TFrmPrintPreview(TVeskMemoPrinter& printer, QWidget* parent)
    : QDialog(parent), printer_(printer)
{
    setObjectName(QStringLiteral("FrmPrintPreview"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    panel_ = new QWidget(this);
    panel_->setObjectName(QStringLiteral("Panel1"));
    auto* row = new QHBoxLayout(panel_);
    row->setContentsMargins(4, 4, 4, 4);
    QPushButton* print = Button(panel_, "PrintBtn", QStringLiteral("&Print"));
    QPushButton* setup = Button(panel_, "SetupBtn", QStringLiteral("Printer &Setup..."));
    marginsBtn_ = Button(panel_, "MarginsBtn", QStringLiteral("&Margins"));
    marginsBtn_->setCheckable(true);
    prevBtn_ = Button(panel_, "PrevBtn", QStringLiteral("<"));
    prevBtn_->setToolTip(QStringLiteral("Previous page"));
    nextBtn_ = Button(panel_, "NextBtn", QStringLiteral(">"));
    nextBtn_->setToolTip(QStringLiteral("Next page"));
    pageLabel_ = new QLabel(panel_);
    pageLabel_->setObjectName(QStringLiteral("PageLabel"));
    pageLabel_->setMinimumWidth(90);
    row->addWidget(pageLabel_);
    row->addStretch(1);
    QPushButton* close = Button(panel_, "CloseBtn", QStringLiteral("&Close"));
    layout->addWidget(panel_);
    area_ = new QWidget(this);
    area_->setObjectName(QStringLiteral("PageBox"));
    area_->setMouseTracking(true);
    area_->setAttribute(Qt::WA_OpaquePaintEvent);
    area_->installEventFilter(this);
    layout->addWidget(area_, 1);

    connect(print, &QPushButton::clicked, this, [this]() { PrintClick(); });
    connect(setup, &QPushButton::clicked, this, [this]() { SetupClick(); });
    connect(marginsBtn_, &QPushButton::toggled, area_, qOverload<>(&QWidget::update));
    connect(prevBtn_, &QPushButton::clicked, this, [this]() { PreviousPage(); });
    connect(nextBtn_, &QPushButton::clicked, this, [this]() { NextPage(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    ChoosePrinter = [this](QPrinter& p, QWidget* owner) {
        QPrintDialog dialog(&p, owner);
        dialog.setMinMax(1, std::max(1, printer_.PageCount()));
        return dialog.exec() == QDialog::Accepted;
    };
    ReportError = [this](const QString& message) { QMessageBox::critical(this, windowTitle(), message); };
    resize(640, 760);
    Relayout();
}

bool TFrmPrintPreview::MarginsShown() const
{
    return marginsBtn_->isChecked();
}

TBoxMargins TFrmPrintPreview::BoxMarginLines() const
{
    return BoxMargins(printer_.Margins(), printer_.Device(), scale_);
}

void TFrmPrintPreview::Relayout()
{
    printer_.Prepare();
    const TPrintDevice& device = printer_.Device();
    scale_ = PreviewScale(area_->width(), area_->height(), 0, device);
    box_ = PageBox(area_->width(), area_->height(), 0, device);
    SetPage(page_);
}

void TFrmPrintPreview::SetPage(int page)
{
    page_ = std::clamp(page, 0, std::max(0, printer_.PageCount() - 1));
    pageLabel_->setText(QStringLiteral("Page %1/%2").arg(page_ + 1).arg(printer_.PageCount()));
    prevBtn_->setEnabled(page_ > 0);
    nextBtn_->setEnabled(page_ + 1 < printer_.PageCount());
    area_->update();
}

void TFrmPrintPreview::NextPage()
{
    SetPage(page_ + 1);
}

void TFrmPrintPreview::PreviousPage()
{
    SetPage(page_ - 1);
}

void TFrmPrintPreview::resizeEvent(QResizeEvent* e)
{
    QDialog::resizeEvent(e);
    Relayout();
}

void TFrmPrintPreview::PrintClick()
{
    if (!ChoosePrinter || !ChoosePrinter(printer_.Printer(), this))
        return;
    printer_.PrinterChanged();
    QProgressDialog progress(QStringLiteral("Printing..."), QStringLiteral("Cancel"), 0,
                             std::max(1, printer_.PageCount()), this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    auto before = printer_.OnProgress;
    printer_.OnProgress = [&](TVeskMemoPrinter* sender) {
        if (before)
            before(sender);
        if (sender->CurrentPage() >= 0) {
            progress.setMaximum(std::max(1, sender->PageCount()));
            progress.setValue(sender->CurrentPage());
            if (progress.wasCanceled())
                sender->SetCancel(true);
        }
    };
    try {
        printer_.Print();
    } catch (const std::exception& e) {
        printer_.OnProgress = before;
        progress.reset();
        Relayout();
        if (ReportError)
            ReportError(QString::fromUtf8(e.what()));
        return;
    }
    printer_.OnProgress = before;
    accept();
}

void TFrmPrintPreview::SetupClick()
{
    QPageSetupDialog dialog(&printer_.Printer(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    printer_.PrinterChanged();
    Relayout();
}

bool TFrmPrintPreview::eventFilter(QObject* watched, QEvent* e)
{
    if (watched != area_)
        return QDialog::eventFilter(watched, e);
    switch (e->type()) {
    case QEvent::Paint:
        PaintArea();
        return true;
    case QEvent::Resize:
        Relayout();
        return false;
    case QEvent::MouseMove: {
        auto* m = static_cast<QMouseEvent*>(e);
        MouseMove(m->position() - box_.topLeft(), m->buttons() & Qt::LeftButton);
        return true;
    }
    case QEvent::MouseButtonPress: {
        auto* m = static_cast<QMouseEvent*>(e);
        if (m->button() == Qt::LeftButton)
            MousePress(m->position() - box_.topLeft());
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* m = static_cast<QMouseEvent*>(e);
        if (m->button() == Qt::LeftButton)
            MouseRelease(m->position() - box_.topLeft());
        return true;
    }
    default:
        return QDialog::eventFilter(watched, e);
    }
}

void TFrmPrintPreview::MouseMove(QPointF at, bool buttonDown)
{
    if (dragging_ && buttonDown) {
        const double position = Horizontal(*dragging_) ? at.x() : at.y();
        dragPos_ = ClampMargin(*dragging_, position, BoxMarginLines(), box_.width(), box_.height(), kDragGap);
        area_->update();
        return;
    }
    std::optional<TMarginEdge> over;
    if (MarginsShown())
        over = MarginAt(BoxMarginLines(), at.x(), at.y(), kGrabTolerance);
    if (!over)
        area_->unsetCursor();
    else
        area_->setCursor(Horizontal(*over) ? Qt::SplitHCursor : Qt::SplitVCursor);
}

void TFrmPrintPreview::MousePress(QPointF at)
{
    if (!MarginsShown())
        return;
    dragging_ = MarginAt(BoxMarginLines(), at.x(), at.y(), kGrabTolerance);
    if (dragging_) {
        const TBoxMargins lines = BoxMarginLines();
        dragPos_ = *dragging_ == TMarginEdge::Left ? lines.left
            : *dragging_ == TMarginEdge::Right     ? lines.right
            : *dragging_ == TMarginEdge::Top       ? lines.top
                                                   : lines.bottom;
    }
}

void TFrmPrintPreview::MouseRelease(QPointF at)
{
    if (!dragging_)
        return;
    const TMarginEdge edge = *dragging_;
    dragging_.reset();
    const double position = ClampMargin(edge, Horizontal(edge) ? at.x() : at.y(), BoxMarginLines(), box_.width(),
                                        box_.height(), kReleaseGap);
    const float inches = MarginInches(edge, position, box_.width(), box_.height(), printer_.Device(), scale_);
    switch (edge) {
    case TMarginEdge::Left:
        printer_.SetMarginLeft(inches);
        break;
    case TMarginEdge::Right:
        printer_.SetMarginRight(inches);
        break;
    case TMarginEdge::Top:
        printer_.SetMarginTop(inches);
        break;
    case TMarginEdge::Bottom:
        printer_.SetMarginBottom(inches);
        break;
    }
    Relayout();
}

void TFrmPrintPreview::PaintArea()
{
    QPainter painter(area_);
    painter.fillRect(area_->rect(), palette().color(QPalette::Dark));
    painter.fillRect(box_, Qt::white);
    const TPrintDevice& device = printer_.Device();
    painter.translate(box_.topLeft());
    // What the printer cannot reach stays blank.
    const QRectF printable(device.offsetX * scale_, device.offsetY * scale_, device.printableWidth * scale_,
                           device.printableHeight * scale_);
    painter.save();
    painter.setClipRect(printable);
    painter.scale(scale_, scale_);
    // The copy paints in device pixels at the printer's own positions; the
    // scale brings them into the box.
    const TPrintMargins& margins = printer_.Margins();
    printer_.PaintPage(page_, QPointF(InchesToPixels(margins.left, device.ppiX),
                                      InchesToPixels(margins.top, device.ppiY)),
                       painter);
    painter.restore();
    if (!MarginsShown())
        return;
    // Margin lines invert what lies under them, so they show on text too.
    painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    const TBoxMargins lines = BoxMarginLines();
    const double w = box_.width(), h = box_.height();
    painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
    painter.drawLine(QLineF(lines.left, 0, lines.left, h));
    painter.drawLine(QLineF(lines.right, 0, lines.right, h));
    painter.drawLine(QLineF(0, lines.top, w, lines.top));
    painter.drawLine(QLineF(0, lines.bottom, w, lines.bottom));
    if (dragging_) {
        painter.setPen(QPen(Qt::gray, 1, Qt::DotLine));
        if (Horizontal(*dragging_))
            painter.drawLine(QLineF(dragPos_, 0, dragPos_, h));
        else
            painter.drawLine(QLineF(0, dragPos_, w, dragPos_));
    }
}

} // namespace vesk
