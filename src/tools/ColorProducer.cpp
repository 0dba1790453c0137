// The colour producer window: controls, the updating rules between boxes and
// bars, the sample, the step buttons and Insert.
#include "tools/ColorProducer.h"

#include "controls/Placed.h"
#include "controls/SlideBar.h"
#include "platform/HelpTopics.h"

#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace vesk {
namespace {

QString TwoHex(int value)
{
    return QStringLiteral("%1").arg(value & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
}

QColor ToQColor(TColorValue c)
{
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

void Paint(QWidget* w, QPalette::ColorRole role, const QColor& color)
{
    QPalette pal = w->palette();
    pal.setColor(role, color);
    w->setPalette(pal);
}

// The swatches: their names and HTML colours, in the order they are laid out.
struct Swatch {
    const char* name;
    const char* html;
};
const Swatch kSwatches[] = {
    {"Panel17", "FFFFFF"}, {"Panel10", "C0C0C0"}, {"Panel15", "FF00FF"}, {"Panel11", "FF0000"},
    {"Panel13", "FFFF00"}, {"Panel12", "00FF00"}, {"Panel16", "00FFFF"}, {"Panel14", "0000FF"},
    {"Panel2", "000000"},  {"Panel9", "808080"},  {"Panel7", "800080"},  {"Panel3", "800000"},
    {"Panel5", "808000"},  {"Panel4", "008000"},  {"Panel8", "008080"},  {"Panel6", "000080"},
};

constexpr int kStepDelayMs = 350;   // before a held step button starts repeating
constexpr int kStepRepeatMs = 45;   // between repeated steps

} // namespace

TForm3::TForm3(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Color Producer"));
    setModal(true);
    BuildControls();
    repeat_ = new QTimer(this);
    connect(repeat_, &QTimer::timeout, this, [this]() {
        repeat_->setInterval(kStepRepeatMs);
        if (repeating_)
            bars_[std::size_t(repeatBar_)]->SetPosition(
                std::clamp(bars_[std::size_t(repeatBar_)]->Position() + repeatDelta_, 0, 255));
    });
}

void TForm3::BuildControls()
{
    setFixedSize(480, 378);

    sample_ = new QFrame(this);
    sample_->setObjectName(QStringLiteral("Panel1"));
    sample_->setFrameShape(QFrame::Panel);
    sample_->setFrameShadow(QFrame::Sunken);
    sample_->setAutoFillBackground(true);
    sample_->setGeometry(8, 8, 464, 100);
    auto* sampleLayout = new QVBoxLayout(sample_);
    sampleLayout->setContentsMargins(10, 6, 10, 6);
    sampleLayout->setSpacing(2);
    label1_ = new QLabel(QStringLiteral("Sample Text"), sample_);
    label1_->setObjectName(QStringLiteral("Label1"));
    QFont big = label1_->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    label1_->setFont(big);
    label7_ = new QLabel(QStringLiteral("Pressing the Insert button below will insert this color at the cursor."),
                         sample_);
    label7_->setObjectName(QStringLiteral("Label7"));
    label7_->setWordWrap(true);
    sampleLayout->addWidget(label1_);
    sampleLayout->addWidget(label7_);

    const char* pageNames[] = {"Label3", "Label4", "Label5", "Label9", "Label6", "Label8"};
    const char* pageTexts[] = {"Change these colors below.  This is the Text Color,", "Link,", "Visited Link,",
                               "Activated Link.",
                               "Pressing the Insert button below will insert these settings into the <BODY> code.",
                               "Sample"};
    for (std::size_t i = 0; i < pageLabels_.size(); ++i) {
        pageLabels_[i] = new QLabel(QString::fromLatin1(pageTexts[i]), sample_);
        pageLabels_[i]->setObjectName(QString::fromLatin1(pageNames[i]));
        pageLabels_[i]->setTextFormat(Qt::PlainText);
    }
    QFont underlined = pageLabels_[1]->font();
    underlined.setUnderline(true);
    for (std::size_t i = 1; i <= 3; ++i)
        pageLabels_[i]->setFont(underlined);  // the link colours look like links
    auto* links = new QHBoxLayout;
    links->setSpacing(6);
    for (std::size_t i = 1; i <= 3; ++i)
        links->addWidget(pageLabels_[i]);
    links->addStretch();
    sampleLayout->addWidget(pageLabels_[0]);
    sampleLayout->addLayout(links);
    sampleLayout->addWidget(pageLabels_[4]);
    sampleLayout->addWidget(pageLabels_[5]);
    pageLabels_[4]->setWordWrap(true);

    label2_ = Placed<QLabel>(this, "Label2",
                             QStringLiteral("Results will vary according to the number of colors your display can show."),
                             {8, 110, 464, 18});

    auto* mode = new QGroupBox(QStringLiteral("Mode"), this);
    mode->setGeometry(8, 130, 132, 64);
    auto* modeLayout = new QVBoxLayout(mode);
    modeLayout->setContentsMargins(8, 4, 8, 4);
    textRadio_ = new QRadioButton(QStringLiteral("&Text"), mode);
    textRadio_->setObjectName(QStringLiteral("RadioButton1"));
    pageRadio_ = new QRadioButton(QStringLiteral("&Page Settings"), mode);
    pageRadio_->setObjectName(QStringLiteral("RadioButton2"));
    modeLayout->addWidget(textRadio_);
    modeLayout->addWidget(pageRadio_);
    connect(textRadio_, &QRadioButton::clicked, this, [this]() { TextRadioEnable(true); });
    connect(pageRadio_, &QRadioButton::clicked, this, [this]() { TextRadioEnable(false); });

    auto* target = new QGroupBox(QStringLiteral("Page Color"), this);
    target->setGeometry(8, 198, 132, 136);
    auto* targetLayout = new QVBoxLayout(target);
    targetLayout->setContentsMargins(8, 4, 8, 4);
    targetLayout->setSpacing(2);
    const char* targetTexts[] = {"&Background", "Te&xt", "&Links", "&Visited Links", "&Activated Links"};
    for (std::size_t i = 0; i < pageRadios_.size(); ++i) {
        pageRadios_[i] = new QRadioButton(QString::fromLatin1(targetTexts[i]), target);
        pageRadios_[i]->setObjectName(QStringLiteral("RadioButton%1").arg(i + 3));
        targetLayout->addWidget(pageRadios_[i]);
        connect(pageRadios_[i], &QRadioButton::clicked, this, [this]() { PageRadioButtonClick(); });
    }
    pageRadios_[0]->setChecked(true);

    // Red, green and blue from left to right; each column an up button, a
    // bar, a down button and a box for two hexadecimal digits.
    const char* barNames[] = {"ScrollBar3", "ScrollBar2", "ScrollBar1"};
    const char* editNames[] = {"Edit3", "Edit2", "Edit1"};
    const char* upNames[] = {"BitBtn6", "BitBtn5", "BitBtn4"};
    const char* downNames[] = {"BitBtn3", "BitBtn2", "BitBtn1"};
    const char* tips[] = {"Red", "Green", "Blue"};
    for (int i = 0; i < 3; ++i) {
        const int x = 164 + i * 42;
        auto* up = Placed<QPushButton>(this, upNames[i], QStringLiteral("\u25B2"), {x, 130, 26, 18});
        up->setToolTip(QStringLiteral("More %1").arg(QString::fromLatin1(tips[i]).toLower()));
        auto* bar = new TSlideBar(this);
        bar->setObjectName(QString::fromLatin1(barNames[i]));
        bar->setGeometry(x, 150, 26, 139);
        bar->SetMin(0);
        bar->SetMax(255);
        bar->SetPageSize(25);
        bar->SetThickness(2);
        bar->SetThumbStyle(tsBar);
        bar->SetTicks(false);
        bar->SetHandCursor(false);
        bar->setToolTip(QString::fromLatin1(tips[i]));
        // The bar's colour as one letter in the gap to its left.
        const char* letterNames[] = {"BarLabelR", "BarLabelG", "BarLabelB"};
        auto* letter = Placed<QLabel>(this, letterNames[i], QString(QLatin1Char(tips[i][0])), {x - 15, 211, 14, 16});
        letter->setAlignment(Qt::AlignCenter);
        bar->OnChange = [this, i](QObject*) { ColorScrollBarChange(i); };
        bars_[std::size_t(i)] = bar;
        auto* down = Placed<QPushButton>(this, downNames[i], QStringLiteral("\u25BC"), {x, 291, 26, 18});
        down->setToolTip(QStringLiteral("Less %1").arg(QString::fromLatin1(tips[i]).toLower()));
        for (QPushButton* step : {up, down}) {
            step->setAutoDefault(false);
            const int delta = step == up ? 1 : -1;
            connect(step, &QPushButton::pressed, this, [this, i, delta]() { StepPressed(i, delta); });
            connect(step, &QPushButton::released, this, [this]() { StepReleased(); });
        }
        auto* edit = Placed<QLineEdit>(this, editNames[i], QStringLiteral("00"), {x - 4, 312, 34, 22});
        edit->setMaxLength(2);
        edit->setAlignment(Qt::AlignCenter);
        edit->setToolTip(QString::fromLatin1(tips[i]));
        connect(edit, &QLineEdit::textChanged, this, [this, i]() { ColorEditChange(i); });
        edits_[std::size_t(i)] = edit;
    }

    for (std::size_t i = 0; i < std::size(kSwatches); ++i) {
        auto* swatch = new QFrame(this);
        swatch->setObjectName(QString::fromLatin1(kSwatches[i].name));
        swatch->setFrameShape(QFrame::Panel);
        swatch->setFrameShadow(QFrame::Raised);
        swatch->setAutoFillBackground(true);
        const TColorValue color = *ColorFromHtml(QString::fromLatin1(kSwatches[i].html));
        Paint(swatch, QPalette::Window, ToQColor(color));
        swatch->setGeometry(300 + int(i % 4) * 42, 134 + int(i / 4) * 40, 34, 32);
        swatch->setCursor(Qt::PointingHandCursor);
        swatch->installEventFilter(this);
        swatches_.emplace_back(swatch, color);
    }

    auto* insert = new QPushButton(QStringLiteral("&Insert"), this);
    insert->setObjectName(QStringLiteral("Button1"));
    insert->setDefault(true);
    insert->setGeometry(8, 344, 90, 26);
    connect(insert, &QPushButton::clicked, this, [this]() { Button1Click(); });
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("Button2"));
    cancel->setGeometry(104, 344, 90, 26);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* help = new QPushButton(QStringLiteral("&Help"), this);
    help->setObjectName(QStringLiteral("Button3"));
    help->setGeometry(382, 344, 90, 26);
    connect(help, &QPushButton::clicked, this, [this]() { if (OnHelp) OnHelp(kHelpColorProducer); });
}

void TForm3::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    FormActivate();
}

bool TForm3::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::MouseButtonPress) {
        for (const auto& [swatch, color] : swatches_) {
            if (swatch == watched) {
                ChangeColor(color);  // ColorPanelClick
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, e);
}

void TForm3::FormActivate()
{
    textRadio_->setEnabled(openingMode_ != omWizardBody);
    pageRadio_->setEnabled(openingMode_ != omWizardFont);
    const bool textMode = openingMode_ != omWizardBody;
    (textMode ? textRadio_ : pageRadio_)->setChecked(true);
    if (editor_) {
        // Reading only: the caret and the selection stay as they are.
        if (const auto color = ColorFromSelection(QString::fromStdString(editor_->SelText())))
            textColor_ = *color;
        page_ = ReadBodyColors(QString::fromStdString(editor_->GetTextPart(0, editor_->CharCount())));
    } else {
        page_ = DefaultPageColors();
    }
    TextRadioEnable(textMode);
}

bool TForm3::TextMode() const
{
    return textRadio_->isChecked();
}

TPageColor TForm3::PageTarget() const
{
    for (std::size_t i = 0; i < pageRadios_.size(); ++i)
        if (pageRadios_[i]->isChecked())
            return TPageColor(i);
    return pcBackground;
}

void TForm3::TextRadioEnable(bool textMode)
{
    label1_->setVisible(textMode);
    label7_->setVisible(textMode);
    for (QLabel* label : pageLabels_)
        label->setVisible(!textMode);
    for (QRadioButton* radio : pageRadios_)
        radio->setEnabled(!textMode);
    ChangeColor(textMode ? textColor_ : page_[PageTarget()]);
}

void TForm3::PageRadioButtonClick()
{
    ChangeColor(page_[PageTarget()]);
}

void TForm3::ChangeColor(TColorValue color)
{
    updating_ = true;
    const int parts[] = {RedOf(color), GreenOf(color), BlueOf(color)};
    for (std::size_t i = 0; i < 3; ++i) {
        edits_[i]->setText(TwoHex(parts[i]));
        bars_[i]->SetPosition(parts[i]);
    }
    SaveColorVar();
    UpdateSample();
    updating_ = false;
}

TColorValue TForm3::BoxesColor() const
{
    // Each box on its own, so a box holding one digit is that digit's value.
    int parts[3] = {0, 0, 0};
    for (std::size_t i = 0; i < 3; ++i)
        parts[i] = edits_[i]->text().toInt(nullptr, 16);
    return MakeColor(parts[0], parts[1], parts[2]);
}

void TForm3::SaveColorVar()
{
    if (TextMode())
        textColor_ = BoxesColor();
    else
        page_[PageTarget()] = BoxesColor();
}

void TForm3::ColorScrollBarChange(int index)
{
    if (updating_)
        return;
    updating_ = true;
    edits_[std::size_t(index)]->setText(TwoHex(bars_[std::size_t(index)]->Position()));
    SaveColorVar();
    UpdateSample();
    updating_ = false;
}

void TForm3::ColorEditChange(int index)
{
    QLineEdit* edit = edits_[std::size_t(index)];
    if (updating_ || edit->text().isEmpty())
        return;
    updating_ = true;
    const QString text = edit->text();
    if (!IsHexDigit(text.front()) || !IsHexDigit(text.back()))
        edit->setText(QStringLiteral("00"));
    bars_[std::size_t(index)]->SetPosition(edit->text().toInt(nullptr, 16));
    SaveColorVar();
    UpdateSample();
    updating_ = false;
}

void TForm3::UpdateSample()
{
    if (TextMode()) {
        Paint(sample_, QPalette::Window, palette().color(QPalette::Window));
        Paint(label1_, QPalette::WindowText, ToQColor(textColor_));
        Paint(label2_, QPalette::WindowText, ToQColor(textColor_));
        return;
    }
    Paint(sample_, QPalette::Window, ToQColor(page_[pcBackground]));
    for (QLabel* label : {pageLabels_[0], pageLabels_[4], pageLabels_[5], label2_})
        Paint(label, QPalette::WindowText, ToQColor(page_[pcText]));
    Paint(pageLabels_[1], QPalette::WindowText, ToQColor(page_[pcLink]));
    Paint(pageLabels_[2], QPalette::WindowText, ToQColor(page_[pcVisited]));
    Paint(pageLabels_[3], QPalette::WindowText, ToQColor(page_[pcActive]));
}

void TForm3::StepPressed(int bar, int delta)
{
    // One step at once, then more while the button is held.
    repeating_ = true;
    repeatBar_ = bar;
    repeatDelta_ = delta;
    TSlideBar* slide = bars_[std::size_t(bar)];
    slide->SetPosition(std::clamp(slide->Position() + delta, 0, 255));
    repeat_->start(kStepDelayMs);
}

void TForm3::StepReleased()
{
    repeating_ = false;
    repeat_->stop();
}

void TForm3::Button1Click()
{
    const bool textMode = TextMode();
    if (textMode && openingMode_ == omWizardFont) {
        if (OnFontColor)
            OnFontColor(ColorToHtml(BoxesColor()));
    } else if (textMode && editor_) {
        InsertTextColor(*editor_, textColor_);
    } else if (!textMode && openingMode_ == omWizardBody) {
        if (OnBodyColors)
            OnBodyColors(page_);
    } else if (!textMode && editor_) {
        InsertBodyColors(*editor_, page_);
    }
    accept();
}

} // namespace vesk
