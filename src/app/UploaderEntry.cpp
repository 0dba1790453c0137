// The FTP uploader's entry point.
#include "app/UploaderEntry.h"

#include "app/UploaderForm.h"

namespace vesk {

TUploaderEntry::TUploaderEntry(TToolHost& host) : form4_(new TForm4(host.MainWindow()))
{
    // Modeless: pages can be edited while files go up.
    host.SetCommand("Uploader1", [this](TVeskMemoFile&) {
        form4_->show();
        form4_->raise();
        form4_->activateWindow();
    });
}

} // namespace vesk
