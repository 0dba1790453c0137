// The advanced FTP settings dialog.
#include "app/AdvancedFtpForm.h"

#include "app/MsgBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace vesk {

TForm10::TForm10(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form10"));
    setWindowTitle(QStringLiteral("Advanced FTP Settings"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout();
    TimeoutEdit = new QSpinBox(this);
    TimeoutEdit->setObjectName(QStringLiteral("TimeoutEdit"));
    TimeoutEdit->setRange(kFtpTimeoutMin, kFtpTimeoutMax);
    ShareModeBox = new QComboBox(this);
    ShareModeBox->setObjectName(QStringLiteral("ShareModeBox"));
    ShareModeBox->addItems(ShareModeNames());
    form->addRow(QStringLiteral("&Timeout (seconds):"), TimeoutEdit);
    form->addRow(QStringLiteral("&Share Mode:"), ShareModeBox);
    layout->addLayout(form);
    MultiThreadCheck = new QCheckBox(QStringLiteral("&MultiThread"), this);
    MultiThreadCheck->setObjectName(QStringLiteral("MultiThreadCheck"));
    PassiveCheck = new QCheckBox(QStringLiteral("&Passive"), this);
    PassiveCheck->setObjectName(QStringLiteral("PassiveCheck"));
    layout->addWidget(MultiThreadCheck);
    layout->addWidget(PassiveCheck);
    auto* buttons = new QHBoxLayout();
    OKBtn = new QPushButton(QStringLiteral("&O K"), this);
    CancelBtn = new QPushButton(QStringLiteral("&Cancel"), this);
    DefaultBtn = new QPushButton(QStringLiteral("&Default"), this);
    for (QPushButton* b : {OKBtn, CancelBtn, DefaultBtn}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    DefaultBtn->setObjectName(QStringLiteral("DefaultBtn"));
    OKBtn->setDefault(true);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(OKBtn, &QPushButton::clicked, this, [this]() { OKBtnClick(); });
    connect(CancelBtn, &QPushButton::clicked, this, [this]() { reject(); });
    connect(DefaultBtn, &QPushButton::clicked, this, [this]() { DefaultBtnClick(); });
    ReadSettings();
}

void TForm10::ReadSettings()
{
    const AdvancedFtpSettings s = ReadAdvancedFtp();
    TimeoutEdit->setValue(s.timeout);
    ShareModeBox->setCurrentIndex(s.shareMode);
    MultiThreadCheck->setChecked(s.multiThread);
    PassiveCheck->setChecked(s.passive);
}

AdvancedFtpSettings TForm10::Settings() const
{
    return {TimeoutEdit->value(), ShareModeBox->currentIndex(), MultiThreadCheck->isChecked(),
            PassiveCheck->isChecked()};
}

void TForm10::OKBtnClick()
{
    try {
        WriteAdvancedFtp(Settings());
    } catch (const std::exception& e) {
        MsgBox(QString::fromUtf8(e.what()), QStringLiteral("HTML Vesk"), kMbOk, kSoundError);
        return;
    }
    accept();
}

void TForm10::DefaultBtnClick()
{
    try {
        EraseAdvancedFtp();
    } catch (const std::exception& e) {
        MsgBox(QString::fromUtf8(e.what()), QStringLiteral("HTML Vesk"), kMbOk, kSoundError);
    }
    ReadSettings();
}

void TForm10::showEvent(QShowEvent* e)
{
    ReadSettings();
    QDialog::showEvent(e);
}

} // namespace vesk
