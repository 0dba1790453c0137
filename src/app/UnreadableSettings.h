// The question asked before a settings file that cannot be read is replaced.
#pragma once

#include <QString>

namespace vesk {

inline constexpr const char* kUnreadableSettingsCaption = "Settings File";

// The text of the question for the file at `path`.
QString UnreadableSettingsQuestion(const QString& path);

// Makes the profile layer ask through MsgBox (Yes replaces the file, No
// keeps it and this session's changes to it are not saved) before it writes
// over any file that exists but cannot be read. Without this nothing ever
// replaces such a file.
void AskBeforeReplacingUnreadableFiles();

} // namespace vesk
