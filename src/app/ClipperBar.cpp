// The clipper bar's controls and their layout.
#include "app/ClipperBar.h"

#include "app/ToolGlyphs.h"
#include "controls/TransparentButton.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>

namespace vesk {
namespace {

constexpr int kButton = 21;

TTransparentButton* MakeButton(QWidget* parent, const char* name, const char* glyph, const char* hint)
{
    auto* b = new TTransparentButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->resize(kButton, kButton);
    // Two images side by side, up and disabled, so a disabled button reads
    // as one although automatic greying is off.
    const QImage up = ToolGlyph(QString::fromLatin1(glyph), 15);
    QImage strip(up.width() * 2, up.height(), QImage::Format_ARGB32);
    strip.fill(Qt::transparent);
    {
        QPainter p(&strip);
        p.drawImage(0, 0, up);
        p.setOpacity(0.45);
        p.drawImage(up.width(), 0, GrayedImage(up));
    }
    b->SetAutoGray(false);
    b->SetGlyph(strip);
    b->SetNumGlyphs(2);
    b->SetHint(QString::fromLatin1(hint));
    b->setEnabled(false);
    return b;
}

} // namespace

QString ClipperItemCaption(const QString& item)
{
    QString caption = item;
    caption.replace(QStringLiteral("\r\n"), QStringLiteral("\u00B6 "));
    caption.replace(QLatin1Char('\r'), QStringLiteral("\u00B6 "));
    caption.replace(QLatin1Char('\n'), QStringLiteral("\u00B6 "));
    return caption;
}

TClipperBar::TClipperBar(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Panel2"));
    setFixedHeight(25);
    cut_ = MakeButton(this, "ClipperCutBtn", "ClipCut", "Cut into the Clipper");
    copy_ = MakeButton(this, "ClipperCopyBtn", "ClipCopy", "Copy into the Clipper");
    paste_ = MakeButton(this, "ClipperPasteBtn", "ClipPaste", "Paste from the Clipper");
    delete_ = MakeButton(this, "TransparentButton1", "ClipDelete", "Delete from the Clipper");
    cut_->OnClick = [this](QObject*) { if (OnCut) OnCut(); };
    copy_->OnClick = [this](QObject*) { if (OnCopy) OnCopy(); };
    paste_->OnClick = [this](QObject*) { if (OnPaste) OnPaste(); };
    delete_->OnClick = [this](QObject*) { TransparentButton1Click(); };

    label_ = new QLabel(this);
    label_->setObjectName(QStringLiteral("Label1"));
    label_->setAlignment(Qt::AlignCenter);
    QFont bold = label_->font();
    bold.setBold(true);
    label_->setFont(bold);
    label_->setContextMenuPolicy(Qt::CustomContextMenu);

    combo_ = new QComboBox(this);
    combo_->setObjectName(QStringLiteral("ComboBox1"));
    combo_->setPlaceholderText(QStringLiteral("HTML Vesk Clipper - Cut, Copy, and Paste 12 items here"));
    connect(combo_, &QComboBox::activated, this, [this](int index) {
        list_.Select(index);
        ComboBox1Change();
    });

    // The label's menu names the keys; the keys themselves are handled by the
    // main window, so the shortcuts are shown here but not bound.
    labelMenu_ = new QMenu(this);
    labelMenu_->setObjectName(QStringLiteral("PopupMenu3"));
    for (int n = 1; n <= kClipperCapacity; ++n) {
        QAction* a = labelMenu_->addAction(QStringLiteral("Display <F%1>\tF%1").arg(n));
        a->setObjectName(QStringLiteral("Display%1").arg(n));
        connect(a, &QAction::triggered, this, [this, n]() { SendClipperKey(n, false); });
    }
    separator_ = labelMenu_->addSeparator();
    for (int n = 1; n <= kClipperCapacity; ++n) {
        QAction* a = labelMenu_->addAction(QStringLiteral("Paste <F%1>\tCtrl+F%1").arg(n));
        a->setObjectName(QStringLiteral("PasteKey%1").arg(n));
        connect(a, &QAction::triggered, this, [this, n]() { SendClipperKey(n, true); });
    }
    connect(label_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        OnPopup3();
        labelMenu_->popup(label_->mapToGlobal(at));
    });
    PlaceControls();
    ComboBox1Change();
}

void TClipperBar::ComboBox1Change()
{
    if (list_.Count() > 0 && list_.Selected() < 0)
        list_.Select(0);
    combo_->clear();
    for (const QString& item : list_.Items())
        combo_->addItem(ClipperItemCaption(item));
    combo_->setCurrentIndex(list_.Selected());
    label_->setText(list_.Label());
    paste_->setEnabled(list_.Count() > 0);
    delete_->setEnabled(list_.Count() > 0);
}

void TClipperBar::OnPopup3()
{
    const QList<QAction*> actions = labelMenu_->actions();
    for (QAction* a : actions) {
        if (a == separator_) {
            a->setVisible(list_.Count() > 0);
            continue;
        }
        const QString name = a->objectName();
        const int n = name.mid(name.startsWith(QLatin1String("Display")) ? 7 : 8).toInt();
        a->setVisible(n <= list_.Count());
    }
}

void TClipperBar::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    PlaceControls();
}

void TClipperBar::PlaceControls()
{
    const int y = (height() - kButton) / 2;
    cut_->move(2, y);
    copy_->move(2 + kButton, y);
    paste_->move(2 + 2 * kButton, y);
    label_->setGeometry(2 + 3 * kButton + 2, y, 49, kButton);
    // The list takes what the buttons and the label leave: the width less 155.
    combo_->setGeometry(120, y, std::max(40, width() - 155), kButton);
    delete_->move(width() - kButton - 2, y);
}

} // namespace vesk
