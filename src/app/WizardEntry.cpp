// The quick code wizard's entry point.
#include "app/WizardEntry.h"

#include "app/QuickCodesEntry.h"
#include "editor/VeskMemo.h"
#include "tools/QuickCodeWizardForm.h"

#include <QPointer>

namespace vesk {

TWizardEntry::TWizardEntry(TToolHost& host) : host_(host) {}

TForm5* TWizardEntry::Window()
{
    if (!form5_)
        form5_ = new TForm5(host_.MainWindow());
    return form5_;
}

int TWizardEntry::OpenWizard(int page, QWidget* over)
{
    TForm5* form = Window();
    QWidget* parent = over ? over : host_.MainWindow();
    if (form->parentWidget() != parent)
        form->setParent(parent, form->windowFlags());
    // The document of the moment, for the whole time the wizard is open.
    // Guarded: a tab closed while the wizard is open takes its editor along.
    QPointer<TVeskMemoFile> editor = host_.CurrentEditor();
    form->SetEditor(editor);
    form->OnInsert = [this, editor](int code) {
        if (editor)
            InsertQuickCodeInto(*editor, code, host_.Today());
    };
    form->Open(page);
    const int result = form->exec();
    form->OnInsert = nullptr;
    form->SetEditor(nullptr);
    return result;
}

} // namespace vesk
