// The date updater's entry point.
#include "app/DateUpdaterEntry.h"

#include "app/MsgBox.h"
#include "editor/VeskMemo.h"
#include "tools/DateUpdater.h"

namespace vesk {

TDateUpdaterEntry::TDateUpdaterEntry(TToolHost& host) : host_(host)
{
    host.SetCommand("Updater1", [this](TVeskMemoFile& e) { UpdaterBtnClick(e); });
    TSaveStep step;
    step.order = kStepUpdateDates;
    step.option = &AutoCloseOptions::updater;
    step.question = [](const QString& name) { return QStringLiteral("Do you want to update the dates of ") + name + QStringLiteral("?"); };
    step.caption = QStringLiteral("Update Dates?");
    step.sound = kSoundInformation;
    step.action = [this](TVeskMemoFile& e) {
        UpdaterBtnClick(e);
        return true;
    };
    host.AddSaveStep(std::move(step));
}

void TDateUpdaterEntry::UpdaterBtnClick(TVeskMemoFile& editor)
{
    TDateUpdaterHooks hooks;
    hooks.askReplace = []() {
        const int answer = MsgBox(QString::fromLatin1(kReplaceDateText), QString::fromLatin1(kReplaceDateCaption),
                                  kMbYesNoCancel, kSoundInformation);
        return answer == kMrYes ? TDateAnswer::Yes : answer == kMrNo ? TDateAnswer::No : TDateAnswer::Cancel;
    };
    hooks.noMoreDates = []() {
        MsgBox(QString::fromLatin1(kNoMoreDatesText), QString::fromLatin1(kNoMoreDatesCaption), kMbOk, kSoundError);
    };
    hooks.scrollIntoView = [&editor]() { editor.ScrollInView(); };
    UpdateDates(editor, host_.Today(), hooks);
    editor.setFocus();
}

} // namespace vesk
