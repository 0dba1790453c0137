// The printing entry point.
#include "app/PrintEntry.h"

#include "app/MsgBox.h"
#include "editor/VeskMemo.h"
#include "print/PrintPreview.h"
#include "print/VeskMemoPrinter.h"

#include <QFileInfo>

namespace vesk {

TPrintEntry::TPrintEntry(TToolHost& host) : host_(host), printer_(std::make_unique<TVeskMemoPrinter>())
{
    // The main window's page: a centred header, coloured text, the
    // printer's own defaults for everything else.
    printer_->SetMarginLeft(0.75f);
    printer_->SetMarginRight(0.5f);
    printer_->SetMarginTop(0.75f);
    printer_->SetMarginBottom(0.75f);
    printer_->SetLineSpacing(-1.5f);
    printer_->SetHeaderYPos(0.4f);
    printer_->SetFooterYPos(0.4f);
    printer_->SetHeaderAlign(TPrintAlign::Center);
    printer_->SetFooterAlign(TPrintAlign::Left);
    printer_->SetPlainText(false);
    printer_->OnPreview = [](TVeskMemoPrinter*, TFrmPrintPreview* preview) {
        preview->setWindowTitle(QStringLiteral("Print Preview"));
        preview->ReportError = [](const QString& message) {
            MsgBox(message, QStringLiteral("HTML Vesk"), kMbOk, kSoundError);
        };
    };
    host.SetCommand("Print1", [this](TVeskMemoFile& e) { PrintBtnClick(e); });
}

TPrintEntry::~TPrintEntry() = default;

void TPrintEntry::PrintBtnClick(TVeskMemoFile& editor)
{
    // An untitled document is headed as its tab is named.
    const QString name = editor.FileName().isEmpty() ? QStringLiteral("Untitled")
                                                     : QFileInfo(editor.FileName()).fileName();
    printer_->SetHeader(name + QStringLiteral(" - {p}"));
    // Set afresh each time: the copy is rebuilt from the text as it is now.
    printer_->SetMemoToPrint(&editor);
    printer_->Preview(host_.MainWindow());
    printer_->SetMemoToPrint(nullptr);
}

} // namespace vesk
