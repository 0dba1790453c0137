// Browsers and picture viewers in the main window: "Run 1st Browser" …
// "Run 4th Browser" (tool bar "Browser 1" … "Browser 4") and "Edit Picture"
// (tool bar, Tools menu, and "View Picture" in the editor's pop-up menu).
#pragma once

#include "app/ToolHost.h"

#include <QString>

#include <functional>
#include <optional>

namespace vesk {

class TBrowserEntry : public TToolEntry {
public:
    explicit TBrowserEntry(TToolHost& host);

    // Browser n (1 … 4) on the document: an unset browser is reported as
    // "Browser Not Setup"; otherwise the save prompt runs, and unless it is
    // cancelled the browser starts on the file as saved. A document that
    // still has no file starts the browser without one.
    // Returns the launch result, or nullopt when nothing was started.
    std::optional<int> BrowserClick(TVeskMemoFile& editor, int n);
    // A viewer on the picture the selection names (relative to the
    // document's folder), or on one chosen in the picture dialog when the
    // selection names no existing file.
    std::optional<int> PictureBtnClick(TVeskMemoFile& editor);

    // The picture dialog (tests replace it): starts in `folder`, returns the
    // chosen file or "" when cancelled.
    std::function<QString(const QString& folder)> pictureDialog;

private:
    TToolHost& host_;
};

} // namespace vesk
