// The preferences' entry point.
#include "app/PreferencesEntry.h"

#include "app/MsgBox.h"
#include "app/PreferencesForm.h"
#include "editor/VeskMemo.h"

#include <QCoreApplication>

namespace vesk {

TPreferencesEntry::TPreferencesEntry(TToolHost& host) : form2_(new TForm2(host.MainWindow()))
{
    form2_->OpenFileDialog = [&host](const QString& folder) { return host.OpenFileDialog(folder); };
    form2_->CurrentEditor = [&host]() { return host.CurrentEditor(); };
    form2_->SaveAs = [&host](TVeskMemoFile& e) { return host.SaveAs(e); };
    form2_->FillToolBars = [&host]() { host.FillToolBars(); };
    form2_->programPath = QCoreApplication::applicationFilePath();
    host.SetCommand("Preferences1", [this](TVeskMemoFile& e) { PreferBtnClick(e); });
    host.SetCommand("ChangeSettings1", [this](TVeskMemoFile& e) { ChangeSettings1Click(e); });

    TSaveStep step;
    step.order = kStepAddToUploadBin;
    step.option = &AutoCloseOptions::addToUploadBin;
    // A page the bin already holds is not offered again; names are compared
    // without regard to case, as the bin may hold a lower-cased name.
    step.applies = [this](const TVeskMemoFile& e) {
        return !form2_->UploadBin().contains(e.FileName(), Qt::CaseInsensitive);
    };
    // "Do you want add": the missing "to" is how the question has always
    // read, and it is kept word for word like every other text the program shows.
    step.question = [](const QString& name) {
        return QStringLiteral("Do you want add ") + name + QStringLiteral(" to the Upload Bin?");
    };
    step.caption = QStringLiteral("Add to Upload Bin?");
    step.sound = kSoundInformation;
    // Nothing added (the page was not saved) is not a reason to stop the
    // prompt; a bin that could not be saved is, so the page stays open.
    step.action = [this](TVeskMemoFile& e) { return !form2_->AddCurrentPageToBin(&e) || form2_->WriteSettings(); };
    host.AddSaveStep(std::move(step));
}

void TPreferencesEntry::PreferBtnClick(TVeskMemoFile& editor)
{
    Open(editor, TForm2::pgPreferences);
}

void TPreferencesEntry::ChangeSettings1Click(TVeskMemoFile& editor)
{
    Open(editor, TForm2::pgQuickCodes);
}

void TPreferencesEntry::Open(TVeskMemoFile& editor, int page)
{
    form2_->ShowPage(page);
    editor.setFocus();
}

} // namespace vesk
