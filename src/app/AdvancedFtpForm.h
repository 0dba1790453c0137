// TForm10, "Advanced FTP Settings": the uploader's time-out, share mode, message pumping and passive mode.
//
// The dialog reads [AdvancedFTP] into its controls when created and every
// time it is shown, so values left by Cancel are replaced by the stored ones
// the next time. "&O K" writes all four (ShareMode as the drop-down's index)
// and closes with OK; "&Cancel" closes without writing; "&Default" erases
// the section and shows the defaults. The uploader reads the controls.
#pragma once

#include "settings/FtpSites.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;
class QSpinBox;

namespace vesk {

class TForm10 : public QDialog {
    Q_OBJECT
public:
    explicit TForm10(QWidget* parent = nullptr);

    // Loads the stored settings into the controls.
    void ReadSettings();
    // What the controls show now.
    AdvancedFtpSettings Settings() const;
    void OKBtnClick();
    void DefaultBtnClick();

    QSpinBox* TimeoutEdit = nullptr;
    QComboBox* ShareModeBox = nullptr;
    QCheckBox* MultiThreadCheck = nullptr;
    QCheckBox* PassiveCheck = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* DefaultBtn = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
};

} // namespace vesk
