// The save prompt's ordered steps.
#include "app/SavePrompt.h"

#include "app/MsgBox.h"
#include "editor/VeskMemo.h"

#include <QFileInfo>

#include <algorithm>

namespace vesk {

void TSavePrompt::Add(TSaveStep step)
{
    Remove(step.order);
    const auto at = std::find_if(steps_.begin(), steps_.end(), [&](const TSaveStep& s) { return s.order > step.order; });
    steps_.insert(at, std::move(step));
}

void TSavePrompt::Remove(int order)
{
    std::erase_if(steps_, [order](const TSaveStep& s) { return s.order == order; });
}

TSaveStep* TSavePrompt::Step(int order)
{
    const auto it = std::find_if(steps_.begin(), steps_.end(), [order](const TSaveStep& s) { return s.order == order; });
    return it == steps_.end() ? nullptr : &*it;
}

bool TSavePrompt::Run(TVeskMemoFile& editor, const AutoCloseOptions& options) const
{
    if (editor.CharCount() == 0)
        return true;  // an empty document closes without a question
    const QString name = DocumentName(editor);
    for (const TSaveStep& step : steps_) {
        if (!step.action || (step.option && !(options.*step.option)) || (step.applies && !step.applies(editor)))
            continue;
        const int answer = MsgBox(step.question(name), step.caption, kMbYesNoCancel, step.sound);
        if (answer == kMrCancel)
            return false;
        if (answer == kMrYes && !step.action(editor))
            return false;
    }
    return true;
}

QString DocumentName(const TVeskMemoFile& editor)
{
    return editor.FileName().isEmpty() ? QStringLiteral("Untitled") : QFileInfo(editor.FileName()).fileName();
}

} // namespace vesk
