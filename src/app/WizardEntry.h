// The Quick Code Setup Wizard in the main window. It has no command of its
// own: the preferences' Quick Codes page opens it with OpenWizard.
#pragma once

#include "app/ToolHost.h"

#include <QPointer>

namespace vesk {

class TForm5;

class TWizardEntry : public TToolEntry {
public:
    explicit TWizardEntry(TToolHost& host);

    // Shows the wizard modally on `page` (0 … 18, the page the Quick Codes
    // tree names for its node: 0 Web Site Shell, 14 Font, 11 Line, 6 Picture,
    // 9 HREF, 10 NAME, 16 Numbered, 15 Bullets, 17 Dictionary, 18 Menu, 12
    // Copyright), above `over` (the preferences dialog; the main window when
    // null). Its Insert button acts on the document that is current now.
    // Returns QDialog::Accepted when the user finished the group, Rejected
    // when they cancelled.
    int OpenWizard(int page, QWidget* over = nullptr);

    // The wizard's window (made on first use, then kept).
    TForm5* Window();

private:
    TToolHost& host_;
    QPointer<TForm5> form5_;
};

} // namespace vesk
