// MsgBox: button sets, the fixed layout, the window, and scripted answers.
#include "app/MsgBox.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include <algorithm>
#include <span>
#include <utility>

namespace vesk {

namespace {

// Where the buttons' centres sit, as fractions of the button panel's width.
// Two buttons stand at thirds rather than quarters, so they keep closer
// together than the outer pair of three.
struct Fraction {
    int num;
    int den;
};
constexpr Fraction kCentres1[] = {{1, 2}};
constexpr Fraction kCentres2[] = {{1, 3}, {2, 3}};
constexpr Fraction kCentres3[] = {{1, 6}, {3, 6}, {5, 6}};

QString ButtonCaption(int result)
{
    switch (result) {
    case kMrOk: return QStringLiteral("OK");
    case kMrCancel: return QStringLiteral("Cancel");
    case kMrRetry: return QStringLiteral("&Retry");
    case kMrIgnore: return QStringLiteral("&Ignore");
    case kMrYes: return QStringLiteral("&Yes");
    case kMrNo: return QStringLiteral("&No");
    }
    return QString();
}

// The illustration in the picture frame: a white ground with a page whose
// corner is folded, a few grey text lines, and a pair of angle brackets.
class TMsgBoxPicture : public QWidget {
public:
    explicit TMsgBoxPicture(QWidget* parent) : QWidget(parent) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        p.setPen(QColor(160, 160, 160));
        p.drawRect(rect().adjusted(0, 0, -1, -1));

        p.setRenderHint(QPainter::Antialiasing);
        const int pageW = 52;
        const int pageH = 66;
        const QRectF page((width() - pageW) / 2.0, (height() - pageH) / 2.0, pageW, pageH);
        const qreal fold = 14;
        QPainterPath outline;
        outline.moveTo(page.topLeft());
        outline.lineTo(page.right() - fold, page.top());
        outline.lineTo(page.right(), page.top() + fold);
        outline.lineTo(page.bottomRight());
        outline.lineTo(page.bottomLeft());
        outline.closeSubpath();
        p.setPen(QPen(QColor(70, 70, 90), 1.5));
        p.setBrush(QColor(250, 250, 240));
        p.drawPath(outline);
        QPainterPath corner;
        corner.moveTo(page.right() - fold, page.top());
        corner.lineTo(page.right() - fold, page.top() + fold);
        corner.lineTo(page.right(), page.top() + fold);
        p.setBrush(QColor(220, 220, 210));
        p.drawPath(corner);

        p.setPen(QPen(QColor(175, 175, 175), 2));
        const qreal left = page.left() + 8;
        for (int i = 0; i < 2; ++i) {
            const qreal y = page.top() + 10 + i * 7;
            p.drawLine(QPointF(left, y), QPointF(page.right() - fold - 4, y));
        }
        for (int i = 0; i < 2; ++i) {
            const qreal y = page.bottom() - 16 + i * 7;
            p.drawLine(QPointF(left, y), QPointF(page.right() - 8 - i * 12, y));
        }

        // "< >" in the middle of the page.
        const QPointF mid = page.center() + QPointF(0, 2);
        p.setPen(QPen(QColor(20, 60, 160), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        const qreal arm = 8;
        const qreal gap = 7;
        p.drawPolyline(QList<QPointF>{mid + QPointF(-gap, -arm), mid + QPointF(-gap - arm, 0),
                                      mid + QPointF(-gap, arm)});
        p.drawPolyline(QList<QPointF>{mid + QPointF(gap, -arm), mid + QPointF(gap + arm, 0),
                                      mid + QPointF(gap, arm)});
    }
};

QRect RelativeTo(const QRect& r, const QRect& parent)
{
    return r.translated(-parent.topLeft());
}

// Scripted answers. MsgBox runs on the window thread only, so plain statics do.
struct ScriptedAnswer {
    int result;
    std::optional<QString> input;
    std::function<void()> whileOpen;
};
struct ScriptState {
    int depth = 0;
    QList<ScriptedAnswer> queue;
    QList<MsgBoxCall> calls;
};

ScriptState& Script()
{
    static ScriptState state;
    return state;
}

int AnswerFromScript(const QString& text, const QString& caption, int buttons, int sound,
                     QString* input)
{
    ScriptState& s = Script();
    s.calls.push_back({caption, text, buttons, sound});
    if (s.queue.isEmpty())
        return MsgBoxEscapeResult(buttons);
    ScriptedAnswer answer = s.queue.takeFirst();
    if (answer.whileOpen)
        answer.whileOpen();
    if (input && MsgBoxIsInput(buttons) && answer.result == kMrOk)
        *input = answer.input.value_or(text);
    return answer.result;
}

} // namespace

QList<int> MsgBoxButtonResults(int buttons)
{
    switch (buttons % 10) {
    case kMbInput:
    case kMbOkCancel: return {kMrOk, kMrCancel};
    case kMbYesNo: return {kMrYes, kMrNo};
    case kMbRetryCancel: return {kMrRetry, kMrCancel};
    case kMbRetryIgnoreCancel: return {kMrRetry, kMrIgnore, kMrCancel};
    case kMbYesNoCancel: return {kMrYes, kMrNo, kMrCancel};
    default: return {kMrOk};
    }
}

int MsgBoxEscapeResult(int buttons)
{
    const QList<int> results = MsgBoxButtonResults(buttons);
    if (results.contains(kMrCancel))
        return kMrCancel;
    if (results.contains(kMrNo))
        return kMrNo;
    return kMrOk;
}

bool MsgBoxIsInput(int buttons)
{
    return buttons % 10 == kMbInput;
}

QString MsgBoxDisplayText(const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

MsgBoxGeometry LayoutMsgBox(QSize labelNaturalSize, const std::function<int(int)>& wrappedHeight,
                            int buttonCount, bool inputMode, int editHeight)
{
    using G = MsgBoxGeometry;
    G g;
    // The text keeps a tenth of the picture panel's width free on either side.
    const int margin = G::kPicturePanelWidth / 10;
    const int textLeft = G::kPicturePanelWidth + margin;

    QSize label = labelNaturalSize;
    if (!inputMode && label.width() > G::kMaxLabelWidth) {
        g.wrapLabel = true;
        label = QSize(G::kMaxLabelWidth, wrappedHeight(G::kMaxLabelWidth));
    }

    int height = G::kPicturePanelHeight + G::kStripHeight;
    if (!inputMode && label.height() > G::kPicturePanelHeight)
        height = label.height() + (G::kPicturePanelHeight + G::kStripHeight) / 2;
    const int above = height - G::kStripHeight;

    int width;
    if (inputMode) {
        width = G::kButtonPanelWidth + 2 * G::kPictureFrameWidth;
        g.edit = QRect(textLeft, (above - editHeight) / 2, width - textLeft - margin, editHeight);
    } else {
        width = G::kPicturePanelWidth / 5 + G::kPicturePanelWidth + label.width();
        g.label = QRect(QPoint(textLeft, (above - label.height()) / 2), label);
        width = std::max(width, int(G::kButtonPanelWidth));
    }
    g.client = QSize(width, height);

    g.picturePanel = QRect(0, 0, G::kPicturePanelWidth, G::kPicturePanelHeight);
    g.pictureFrame = QRect((G::kPicturePanelWidth - G::kPictureFrameWidth) / 2,
                           (G::kPicturePanelHeight - G::kPictureFrameHeight) / 2,
                           G::kPictureFrameWidth, G::kPictureFrameHeight);
    g.strip = QRect(0, above, width, G::kStripHeight);
    g.buttonPanel = QRect(width - G::kButtonPanelWidth, above, G::kButtonPanelWidth, G::kStripHeight);

    std::span<const Fraction> centres;
    switch (buttonCount) {
    case 1: centres = kCentres1; break;
    case 2: centres = kCentres2; break;
    case 3: centres = kCentres3; break;
    default: break;
    }
    const int buttonTop = above + (G::kStripHeight - G::kButtonHeight) / 2;
    for (const Fraction& f : centres) {
        const int centre = g.buttonPanel.left() + G::kButtonPanelWidth * f.num / f.den;
        // QRect::center() of a 75-wide rectangle is its left edge + 37.
        g.buttons.push_back(QRect(centre - (G::kButtonWidth - 1) / 2, buttonTop, G::kButtonWidth,
                                  G::kButtonHeight));
    }
    return g;
}

TForm9::TForm9(QWidget* parent)
    // A dialog frame: title and close box, no minimise or maximise buttons.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("Form9"));
    setModal(true);
    setSizeGripEnabled(false);

    picturePanel_ = new QWidget(this);
    picturePanel_->setObjectName(QStringLiteral("PicturePanel"));
    pictureFrame_ = new TMsgBoxPicture(picturePanel_);
    pictureFrame_->setObjectName(QStringLiteral("PictureFrame"));

    label_ = new QLabel(this);
    label_->setObjectName(QStringLiteral("Label"));
    // Messages quote file names and markup; none of it may be read as rich text.
    label_->setTextFormat(Qt::PlainText);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    edit_ = new QLineEdit(this);
    edit_->setObjectName(QStringLiteral("Edit"));
    edit_->hide();

    strip_ = new QWidget(this);
    strip_->setObjectName(QStringLiteral("ButtonStrip"));
    buttonPanel_ = new QWidget(strip_);
    buttonPanel_->setObjectName(QStringLiteral("ButtonPanel"));
}

TForm9::~TForm9() = default;

void TForm9::Prepare(const QString& text, const QString& caption, int buttons)
{
    setWindowTitle(caption);
    setResult(0);
    escapeResult_ = MsgBoxEscapeResult(buttons);
    const bool inputMode = MsgBoxIsInput(buttons);

    qDeleteAll(buttons_);
    buttons_.clear();
    const QList<int> results = MsgBoxButtonResults(buttons);
    const int defaultButton = (buttons / kMbDefaultSecond) % 10 == 1 && results.size() > 1 ? 1 : 0;
    for (int i = 0; i < results.size(); ++i) {
        const int result = results[i];
        auto* button = new QPushButton(ButtonCaption(result), buttonPanel_);
        button->setObjectName(QStringLiteral("Button%1").arg(i + 1));
        button->setDefault(i == defaultButton);
        connect(button, &QPushButton::clicked, this, [this, result]() { done(result); });
        buttons_.push_back(button);
    }

    // The label is measured with the font it will be shown in.
    ensurePolished();
    label_->setWordWrap(false);
    label_->setText(inputMode ? QString() : MsgBoxDisplayText(text));
    label_->setVisible(!inputMode);
    edit_->setText(inputMode ? text : QString());
    edit_->setVisible(inputMode);
    const QSize natural = inputMode ? QSize() : label_->sizeHint();
    geometry_ = LayoutMsgBox(
        natural,
        [this](int width) {
            label_->setWordWrap(true);
            return label_->heightForWidth(width);
        },
        int(results.size()), inputMode, edit_->sizeHint().height());
    label_->setWordWrap(geometry_.wrapLabel);

    setFixedSize(geometry_.client);
    picturePanel_->setGeometry(geometry_.picturePanel);
    pictureFrame_->setGeometry(RelativeTo(geometry_.pictureFrame, geometry_.picturePanel));
    label_->setGeometry(geometry_.label);
    edit_->setGeometry(geometry_.edit);
    strip_->setGeometry(geometry_.strip);
    buttonPanel_->setGeometry(RelativeTo(geometry_.buttonPanel, geometry_.strip));
    for (int i = 0; i < buttons_.size(); ++i)
        buttons_[i]->setGeometry(RelativeTo(geometry_.buttons[i], geometry_.buttonPanel));

    if (inputMode) {
        edit_->selectAll();
        edit_->setFocus();
    } else {
        buttons_[defaultButton]->setFocus();
    }
}

QString TForm9::InputText() const
{
    return edit_->text();
}

void TForm9::reject()
{
    done(escapeResult_);
}

void TForm9::keyPressEvent(QKeyEvent* e)
{
    const Qt::KeyboardModifiers mods = e->modifiers() & ~(Qt::AltModifier | Qt::ShiftModifier | Qt::KeypadModifier);
    if (!edit_->isVisible() && mods == Qt::NoModifier && !e->text().isEmpty()) {
        const QChar typed = e->text().at(0).toUpper();
        for (QPushButton* button : buttons_) {
            const QString caption = button->text();
            const qsizetype amp = caption.indexOf(QLatin1Char('&'));
            if (amp >= 0 && amp + 1 < caption.size() && caption.at(amp + 1).toUpper() == typed) {
                button->click();
                return;
            }
        }
    }
    QDialog::keyPressEvent(e);
}

void TForm9::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (!e->spontaneous())
        CentreOnScreen();
}

void TForm9::CentreOnScreen()
{
    QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

int MsgBox(const QString& text, const QString& caption, int buttons, int sound)
{
    return MsgBox(text, caption, buttons, sound, nullptr);
}

int MsgBox(const QString& text, const QString& caption, int buttons, int sound, QString* input)
{
    if (MsgBoxScript::Active())
        return AnswerFromScript(text, caption, buttons, sound, input);

    if (sound != kSoundNone)
        QApplication::beep();
    // Held by a guard: closing the owner window while the box is up deletes it.
    QPointer<TForm9> form = new TForm9(QApplication::activeWindow());
    form->Prepare(text, caption, buttons);
    int result = form->exec();
    // A box that went without a button press (its owner closed) was not agreed to.
    if (result == 0)
        result = MsgBoxEscapeResult(buttons);
    if (form) {
        if (input && MsgBoxIsInput(buttons) && result == kMrOk)
            *input = form->InputText();
        delete form;
    }
    return result;
}

MsgBoxScript::Scope::Scope()
{
    if (Script().depth++ == 0)
        Reset();
}

MsgBoxScript::Scope::~Scope()
{
    if (--Script().depth == 0)
        Reset();
}

void MsgBoxScript::Push(int result, std::optional<QString> input)
{
    Script().queue.push_back({result, std::move(input), {}});
}

void MsgBoxScript::PushWhileOpen(int result, std::function<void()> whileOpen)
{
    Script().queue.push_back({result, std::nullopt, std::move(whileOpen)});
}

QList<MsgBoxCall> MsgBoxScript::Calls()
{
    return Script().calls;
}

int MsgBoxScript::Pending()
{
    return int(Script().queue.size());
}

void MsgBoxScript::Reset()
{
    Script().queue.clear();
    Script().calls.clear();
}

bool MsgBoxScript::Active()
{
    return Script().depth > 0;
}

} // namespace vesk
