// The quick code wizard's window: pages built from the page table, navigation, Default, Insert, files and colours.
#include "tools/QuickCodeWizardForm.h"

#include "platform/HelpTopics.h"
#include "platform/ProfileFile.h"
#include "platform/ProgramFolder.h"
#include "tools/ColorCodes.h"
#include "tools/ColorProducer.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <cstring>

namespace vesk {
namespace {

using K = TWizardControlKind;

QString ControlName(int page, const char* key)
{
    return QStringLiteral("Page%1_%2").arg(page).arg(QString::fromLatin1(key));
}

// The five page colours in the colour producer's order, by key on page 5.
constexpr const char* kBodyColorKeys[] = {"bkground", "text", "link", "vlink", "alink"};
constexpr int kBodyColorsPage = 5;
constexpr int kFontPage = 14;

const char* const kPictureFilter =
    "Pictures (*.gif *.jpg *.jpeg *.png *.svg *.webp *.bmp);;All Files (*)";

} // namespace

TForm5::TForm5(QWidget* parent) : QDialog(parent), settingsPath_(QuickCodeFile())
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Quick Code Setup Wizard"));
    setModal(true);
    chooseFile = [this]() {
        return QFileDialog::getOpenFileName(this, QStringLiteral("Choose a Picture"), QString(),
                                            QString::fromLatin1(kPictureFilter));
    };
    programFolder = [] { return ProgramFolder(); };

    auto* layout = new QVBoxLayout(this);
    pages_ = new QStackedWidget(this);
    pages_->setObjectName(QStringLiteral("PageControl1"));
    for (int page = 0; page < kWizardPageCount; ++page)
        pages_->addWidget(BuildPage(page));
    layout->addWidget(pages_, 1);

    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    layout->addWidget(rule);

    auto* buttons = new QHBoxLayout;
    const auto button = [this, buttons](const char* name, const char* caption) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    QPushButton* help = button("Button5", "&Help");
    QPushButton* defaults = button("Button11", "&Default");
    QPushButton* insert = button("Button10", "&Insert");
    step_ = new QLabel(this);
    step_->setObjectName(QStringLiteral("StepLabel"));
    buttons->addSpacing(8);
    buttons->addWidget(step_);
    buttons->addStretch();
    back_ = button("Button1", "<< &Back");
    next_ = button("Button2", "&Next >>");
    next_->setDefault(true);
    QPushButton* cancel = button("Button3", "&Cancel");
    layout->addLayout(buttons);

    connect(help, &QPushButton::clicked, this, [this]() { if (OnHelp) OnHelp(kHelpQuickCodeWizard); });
    connect(defaults, &QPushButton::clicked, this, [this]() { Button11Click(); });
    connect(insert, &QPushButton::clicked, this, [this]() { Button10Click(); });
    connect(back_, &QPushButton::clicked, this, [this]() { Button2Click(false); });
    connect(next_, &QPushButton::clicked, this, [this]() { Button2Click(true); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    setMinimumWidth(620);
    resize(sizeHint().expandedTo(QSize(620, 0)));
}

QWidget* TForm5::BuildPage(int page)
{
    const TWizardPage& table = WizardPage(page);
    auto* widget = new QWidget(pages_);
    widget->setObjectName(QStringLiteral("TabSheet%1").arg(page));
    auto* v = new QVBoxLayout(widget);
    auto* heading = new QLabel(QString::fromUtf8(table.heading), widget);
    QFont bold = heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.25);
    heading->setFont(bold);
    v->addWidget(heading);
    auto* explanation = new QLabel(QString::fromUtf8(table.explanation), widget);
    explanation->setWordWrap(true);
    v->addWidget(explanation);
    v->addSpacing(6);

    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    v->addLayout(grid);
    v->addStretch(1);

    std::vector<QWidget*>& controls = controls_[std::size_t(page)];
    controls.assign(table.controls.size(), nullptr);
    QButtonGroup* radios = nullptr;
    QGridLayout* radioGrid = nullptr;
    QGroupBox* radioFrame = nullptr;
    int row = 0;
    int radioCount = 0;
    for (std::size_t i = 0; i < table.controls.size(); ++i) {
        const TWizardControl& c = table.controls[i];
        const QString caption = QString::fromUtf8(c.caption);
        QWidget* control = nullptr;
        switch (c.kind) {
        case K::Check: {
            auto* check = new QCheckBox(caption, widget);
            connect(check, &QCheckBox::toggled, this, [this]() { ReFreshForm(); });
            control = check;
            const bool boxBeside = i + 1 < table.controls.size() &&
                                   (table.controls[i + 1].kind == K::Text || table.controls[i + 1].kind == K::Number) &&
                                   !*table.controls[i + 1].caption;
            grid->addWidget(check, row, 0, 1, boxBeside ? 1 : 3);
            if (!boxBeside)
                ++row;
            break;
        }
        case K::Text:
        case K::Number: {
            if (c.kind == K::Text) {
                auto* edit = new QLineEdit(widget);
                edit->setMaxLength(int(kProfileValueMax));
                control = edit;
            } else {
                auto* spin = new QSpinBox(widget);
                spin->setRange(c.minimum, c.maximum);
                spin->setMinimumWidth(110);
                control = spin;
            }
            if (*c.caption) {
                auto* label = new QLabel(caption, widget);
                label->setBuddy(control);
                grid->addWidget(label, row, 0);
            }
            if (c.kind == K::Text)
                control->setMinimumWidth(280);
            // The "..." button sits right beside the box it fills.
            auto* cell = new QHBoxLayout;
            cell->addWidget(control);
            if (c.fileButton) {
                auto* dots = new QPushButton(QStringLiteral("..."), widget);
                dots->setObjectName(ControlName(page, c.key) + QStringLiteral("_file"));
                dots->setAutoDefault(false);
                dots->setFixedWidth(32);
                connect(dots, &QPushButton::clicked, this, [this, page, key = c.key]() { Button8Click(page, key); });
                cell->addWidget(dots);
            }
            cell->addStretch(1);
            grid->addLayout(cell, row, 1);
            ++row;
            break;
        }
        case K::Choice: {
            if (!radios) {
                radioFrame = new QGroupBox(QString::fromUtf8(table.choiceTitle ? table.choiceTitle : ""), widget);
                radioFrame->setObjectName(ControlName(page, "choice"));
                radioGrid = new QGridLayout(radioFrame);
                radios = new QButtonGroup(radioFrame);
                grid->addWidget(radioFrame, row++, 0, 1, 3);
            }
            auto* radio = new QRadioButton(caption, radioFrame);
            radios->addButton(radio);
            constexpr int kPerRow = 4;
            radioGrid->addWidget(radio, radioCount / kPerRow, radioCount % kPerRow);
            ++radioCount;
            control = radio;
            break;
        }
        case K::ColorButton: {
            auto* b = new QPushButton(caption, widget);
            b->setObjectName(QString::fromLatin1(page == kBodyColorsPage ? "Button4" : "Button12"));
            b->setAutoDefault(false);
            connect(b, &QPushButton::clicked, this, [this, page]() {
                if (page == kBodyColorsPage)
                    Button4Click();
                else
                    Button12Click();
            });
            grid->addWidget(b, row++, 1, Qt::AlignLeft);
            control = b;
            break;
        }
        }
        if (c.kind != K::ColorButton)
            control->setObjectName(ControlName(page, c.key));
        controls[i] = control;
    }
    return widget;
}

QWidget* TForm5::Control(int page, const char* key) const
{
    if (page < 0 || page >= kWizardPageCount)
        return nullptr;
    const TWizardPage& table = WizardPage(page);
    for (std::size_t i = 0; i < table.controls.size(); ++i)
        if (table.controls[i].kind != K::ColorButton && std::strcmp(table.controls[i].key, key) == 0)
            return controls_[std::size_t(page)][i];
    return nullptr;
}

TWizardValues TForm5::PageValues(int page) const
{
    const TWizardPage& table = WizardPage(page);
    TWizardValues values(table.controls.size());
    for (std::size_t i = 0; i < table.controls.size(); ++i) {
        QWidget* w = controls_[std::size_t(page)][i];
        if (auto* check = qobject_cast<QCheckBox*>(w))
            values[i] = check->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
        else if (auto* radio = qobject_cast<QRadioButton*>(w))
            values[i] = radio->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
        else if (auto* edit = qobject_cast<QLineEdit*>(w))
            values[i] = edit->text();
        else if (auto* spin = qobject_cast<QSpinBox*>(w))
            values[i] = QString::number(spin->value());
    }
    return values;
}

void TForm5::ShowValues(int page, const TWizardValues& values)
{
    const TWizardPage& table = WizardPage(page);
    const TWizardValues sane = SaneWizardValues(page, values);
    for (std::size_t i = 0; i < table.controls.size(); ++i) {
        QWidget* w = controls_[std::size_t(page)][i];
        if (auto* check = qobject_cast<QCheckBox*>(w)) {
            check->setChecked(sane[i] == u"1");
        } else if (auto* radio = qobject_cast<QRadioButton*>(w)) {
            // An exclusive group cannot turn its last button off; a choice
            // with nothing chosen is shown as none.
            QButtonGroup* group = radio->group();
            if (group)
                group->setExclusive(false);
            radio->setChecked(sane[i] == u"1");
            if (group)
                group->setExclusive(true);
        } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            edit->setText(sane[i]);
            edit->setCursorPosition(0);
        } else if (auto* spin = qobject_cast<QSpinBox*>(w)) {
            spin->setValue(sane[i].toInt());
        }
    }
    ReFreshForm();
}

void TForm5::ReFreshForm()
{
    for (int page = 0; page < kWizardPageCount; ++page) {
        const TWizardPage& table = WizardPage(page);
        for (std::size_t i = 0; i < table.controls.size(); ++i) {
            const TWizardControl& c = table.controls[i];
            if (!c.governedBy)
                continue;
            auto* check = qobject_cast<QCheckBox*>(Control(page, c.governedBy));
            const bool on = check && check->isChecked();
            QWidget* w = controls_[std::size_t(page)][i];
            // A choice is enabled as a whole, frame and all.
            if (c.kind == K::Choice && w->parentWidget())
                w->parentWidget()->setEnabled(on);
            else
                w->setEnabled(on);
            if (c.fileButton)
                if (auto* dots = pages_->widget(page)->findChild<QPushButton*>(ControlName(page, c.key) +
                                                                              QStringLiteral("_file")))
                    dots->setEnabled(on);
        }
    }
}

void TForm5::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    // A window restored by the desktop keeps what the user typed.
    if (e->spontaneous())
        return;
    ReadIni();
    ShowPage(openPage_);
}

void TForm5::Open(int page)
{
    openPage_ = std::clamp(page, 0, kWizardPageCount - 1);
    ShowPage(openPage_);
}

int TForm5::CurrentPage() const
{
    return pages_->currentIndex();
}

void TForm5::ShowPage(int page)
{
    pages_->setCurrentIndex(page);
    const TWizardGroup group = WizardGroupOf(page);
    back_->setEnabled(page > group.first);
    if (page < group.last)
        next_->setText(QStringLiteral("&Next >>"));
    else
        next_->setText(group.first == 12 ? QStringLiteral("&Finish >>") : QStringLiteral("&Finish"));
    step_->setText(group.first == group.last
                       ? QString()
                       : QStringLiteral("Page %1 of %2").arg(page - group.first + 1).arg(group.last - group.first + 1));
}

void TForm5::ReadIni()
{
    for (int page = 0; page < kWizardPageCount; ++page)
        ShowValues(page, ReadWizardPage(settingsPath_, page, TWizardDefaults::Opening));
}

void TForm5::WritePage(int page)
{
    WriteWizardPage(settingsPath_, page, PageValues(page));
}

void TForm5::Button2Click(bool next)
{
    const int page = CurrentPage();
    const TWizardGroup group = WizardGroupOf(page);
    WritePage(page);
    if (next && page == group.last) {
        accept();
        return;
    }
    if (!next && page == group.first)
        return;  // Back is disabled there; a stray call only writes
    ShowPage(next ? page + 1 : page - 1);
}

void TForm5::Button11Click()
{
    const int page = CurrentPage();
    EraseWizardPage(settingsPath_, page);
    ShowValues(page, ReadWizardPage(settingsPath_, page, TWizardDefaults::AfterDefault));
}

void TForm5::Button10Click()
{
    if (OnInsert)
        OnInsert(WizardPage(CurrentPage()).code);
}

void TForm5::SetText(int page, const char* key, const QString& text)
{
    if (auto* edit = qobject_cast<QLineEdit*>(Control(page, key)))
        edit->setText(text);
}

void TForm5::Button8Click(int page, const char* key)
{
    const QString chosen = chooseFile ? chooseFile() : QString();
    if (chosen.isEmpty())
        return;
    SetText(page, key, WizardChosenFile(chosen, programFolder ? programFolder() : QString()));
}

TForm3* TForm5::ColorProducer()
{
    if (!colorProducer_)
        colorProducer_ = new TForm3(this);
    return colorProducer_;
}

void TForm5::Button4Click()
{
    TForm3* producer = ColorProducer();
    producer->SetOpeningMode(TForm3::omWizardBody);
    producer->SetEditor(editor_);
    producer->OnBodyColors = [this](const TPageColors& colors) {
        for (std::size_t i = 0; i < colors.size(); ++i)
            SetText(kBodyColorsPage, kBodyColorKeys[i], ColorToHtml(colors[i]));
    };
    producer->exec();
}

void TForm5::Button12Click()
{
    TForm3* producer = ColorProducer();
    producer->SetOpeningMode(TForm3::omWizardFont);
    producer->SetEditor(editor_);
    producer->OnFontColor = [this](const QString& rrggbb) { SetText(kFontPage, "colortext", rrggbb); };
    producer->exec();
}

} // namespace vesk
