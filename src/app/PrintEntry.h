// Printing in the main window: the Print command opens the print preview of
// the document it started with, from which the user prints.
#pragma once

#include "app/ToolHost.h"

#include <memory>

namespace vesk {

class TVeskMemoPrinter;

class TPrintEntry : public TToolEntry {
public:
    explicit TPrintEntry(TToolHost& host);
    ~TPrintEntry() override;
    // Headed with the document's file name and " - {p}", previews `editor`.
    void PrintBtnClick(TVeskMemoFile& editor);
    TVeskMemoPrinter& Printer() const { return *printer_; }

private:
    TToolHost& host_;
    std::unique_ptr<TVeskMemoPrinter> printer_;
};

} // namespace vesk
