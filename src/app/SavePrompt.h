// TSavePrompt: the automatic closing functions run before a document is let
// go, as an ordered list of steps that the tools register.
//
// Each step has its switch in the settings' [AutoClose] group, an optional
// extra condition, a Yes/No/Cancel question, and an action for Yes. Steps run
// in the order of their `order` numbers whatever order they were added in; a
// step nobody registered (its tool is not part of the program) is not asked.
#pragma once

#include "settings/SettingsSections.h"

#include <QString>

#include <functional>
#include <vector>

namespace vesk {

class TVeskMemoFile;

// Where each step stands in the prompt.
enum TSaveStepOrder : int {
    kStepUpdateDates = 1,
    kStepCheckSpelling = 2,
    kStepValidate = 3,
    kStepSaveChanges = 4,
    kStepAddToUploadBin = 5,
    kStepUpload = 6,
};

struct TSaveStep {
    int order = 0;
    bool AutoCloseOptions::*option = nullptr;          // the step's switch
    std::function<bool(const TVeskMemoFile&)> applies;  // extra condition; unset = always
    std::function<QString(const QString& name)> question;  // from the document's name
    QString caption;
    int sound = 0;
    // What Yes does; returning false cancels the rest of the prompt (a save
    // that did not happen).
    std::function<bool(TVeskMemoFile&)> action;
};

class TSavePrompt {
public:
    // Adds a step, or replaces the step of the same order.
    void Add(TSaveStep step);
    void Remove(int order);
    TSaveStep* Step(int order);

    // Asks each step in order about `editor` (its switch on, its condition
    // true); Yes runs the action, No skips, Cancel ends the prompt. Returns
    // false when the user cancelled or an action refused. An empty document
    // is let go without a question.
    bool Run(TVeskMemoFile& editor, const AutoCloseOptions& options) const;

private:
    std::vector<TSaveStep> steps_;  // sorted by order
};

// The name a prompt calls a document by: its file name, or "Untitled".
QString DocumentName(const TVeskMemoFile& editor);

} // namespace vesk
