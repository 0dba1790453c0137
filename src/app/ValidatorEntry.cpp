// The validator's entry point.
#include "app/ValidatorEntry.h"

#include "app/MsgBox.h"
#include "validator/ValidatorForm.h"

namespace vesk {

TValidatorEntry::TValidatorEntry(TToolHost& host) : form8_(new TForm8(host.MainWindow()))
{
    // A double click in the results leads into whatever document is current.
    form8_->CurrentEditor = [&host]() { return host.CurrentEditor(); };
    host.SetCommand("Validator1", [this](TVeskMemoFile& e) { ValidBtnClick(e); });
    TSaveStep step;
    step.order = kStepValidate;
    step.option = &AutoCloseOptions::validator;
    step.question = [](const QString& name) { return QStringLiteral("Do you want to validate (debug) ") + name + QStringLiteral("?"); };
    step.caption = QStringLiteral("Validate Code?");
    step.sound = kSoundInformation;
    step.action = [this](TVeskMemoFile& e) {
        ValidBtnClick(e);
        return true;
    };
    host.AddSaveStep(std::move(step));
    // The entries name lines of the document that was checked; a run in
    // progress stops.
    host.WhenTabsChange([this]() { form8_->close(); });
}

void TValidatorEntry::ValidBtnClick(TVeskMemoFile& editor)
{
    form8_->Validate(&editor);
}

} // namespace vesk
