// THTMLVeskMain: the tools that work on the current document — validator,
// quick codes, colour producer and date updater.
#include "app/MainWindow.h"
#include "app/MsgBox.h"
#include "tools/ColorProducer.h"
#include "platform/ProgramFolder.h"
#include "tools/DateUpdater.h"
#include "tools/QuickCodes.h"
#include "validator/ValidatorForm.h"

namespace vesk {

void THTMLVeskMain::ColorProducer1Click()
{
    if (!current_)
        return;
    // One window for the program's life: it remembers its colours.
    if (!colorProducer_)
        colorProducer_ = new TForm3(this);
    colorProducer_->SetOpeningMode(TForm3::omMainWindow);
    colorProducer_->SetEditor(current_);
    colorProducer_->exec();
    current_->ScrollInView();
    current_->setFocus();
}

void THTMLVeskMain::ValidBtnClick()
{
    if (current_)
        form8_->Validate(current_);
}

void THTMLVeskMain::QuickCodeInsert(int code)
{
    if (!current_ || current_->ReadOnly())
        return;
    QString notice;
    InsertQuickCode(*current_, code, ProgramFile(QStringLiteral("quickcod.ini")), today(), &notice);
    if (!notice.isEmpty())
        MsgBox(notice, QString::fromLatin1(kQuickCodeNoticeCaption), kMbOk, kSoundInformation);
    current_->ScrollInView();
    current_->setFocus();
}

void THTMLVeskMain::UpdaterBtnClick()
{
    if (!current_)
        return;
    TVeskMemoFile* editor = current_;
    TDateUpdaterHooks hooks;
    hooks.askReplace = []() {
        const int answer = MsgBox(QString::fromLatin1(kReplaceDateText), QString::fromLatin1(kReplaceDateCaption),
                                  kMbYesNoCancel, kSoundInformation);
        return answer == kMrYes ? TDateAnswer::Yes : answer == kMrNo ? TDateAnswer::No : TDateAnswer::Cancel;
    };
    hooks.noMoreDates = []() {
        MsgBox(QString::fromLatin1(kNoMoreDatesText), QString::fromLatin1(kNoMoreDatesCaption), kMbOk, kSoundError);
    };
    hooks.scrollIntoView = [editor]() { editor->ScrollInView(); };
    UpdateDates(*editor, today(), hooks);
    editor->setFocus();
}

} // namespace vesk
