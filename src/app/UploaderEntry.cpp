// The FTP uploader's entry point.
#include "app/UploaderEntry.h"

#include "app/MsgBox.h"
#include "app/PreferencesForm.h"
#include "app/UploaderForm.h"

namespace vesk {

TUploaderEntry::TUploaderEntry(TToolHost& host, TForm2& preferences) : form4_(new TForm4(host.MainWindow()))
{
    // Modeless: pages can be edited while files go up.
    auto show = [this] {
        form4_->show();
        form4_->raise();
        form4_->activateWindow();
    };
    host.SetCommand("Uploader1", [show](TVeskMemoFile&) { show(); });

    TSaveStep step;
    step.order = kStepUpload;
    step.option = &AutoCloseOptions::runUploader;
    step.question = [](const QString&) { return QStringLiteral("Do you want to upload files now?"); };
    step.caption = QStringLiteral("Run Uploader?");
    step.sound = kSoundInformation;
    step.action = [show](TVeskMemoFile&) {
        show();
        return true;
    };
    host.AddSaveStep(std::move(step));

    // The chooser and the preferences' list select the same site; Connect
    // uses the fields the preferences hold for it.
    form4_->SiteFields = [&preferences] { return preferences.SiteFields(); };
    form4_->OnSiteSelected = [&preferences](int index) { preferences.SelectSite(index); };
    preferences.OnSiteChooser = [this](const QStringList& names, int selected) { form4_->SetSites(names, selected); };
    preferences.UploaderVisible = [this] { return form4_->isVisible(); };
    preferences.ShowUploader = [this] { form4_->exec(); };
    form4_->UploadBinFiles = [&preferences] { return preferences.UploadBin(); };
    form4_->OnEmptyBin = [&preferences] { preferences.EmptyUploadBin(); };
    form4_->OnSettings = [this, &preferences] {
        if (preferences.isVisible()) {
            // The preferences opened the uploader modally: back to them.
            preferences.SetPageIndex(TForm2::pgUploaderSetup);
            form4_->accept();
            preferences.raise();
            preferences.activateWindow();
        } else {
            preferences.ShowPage(TForm2::pgUploaderSetup);
        }
    };
}

} // namespace vesk
