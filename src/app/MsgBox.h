// MsgBox: the program's own modal message box.
//
// Every message, question and one-line prompt of HTML Vesk goes through
// MsgBox; nothing in the program opens the system message box. Keeping one
// entry point gives every message the same look (the picture, the button
// strip, the centred window) and gives tests one place to answer them: while
// a MsgBoxScript::Scope lives, MsgBox shows no window at all, records the call
// and returns a scripted answer.
#pragma once

#include <QDialog>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vesk {

// Dialog results: which button closed the box.
inline constexpr int kMrOk = 1;
inline constexpr int kMrCancel = 2;
inline constexpr int kMrRetry = 4;
inline constexpr int kMrIgnore = 5;
inline constexpr int kMrYes = 6;
inline constexpr int kMrNo = 7;

// Button sets, the `buttons` argument modulo 10. Any value not listed shows
// OK only.
inline constexpr int kMbOk = 0;
inline constexpr int kMbInput = 1;  // OK, Cancel and an edit line holding the text
inline constexpr int kMbOkCancel = 3;
inline constexpr int kMbYesNo = 4;
inline constexpr int kMbRetryCancel = 5;
inline constexpr int kMbRetryIgnoreCancel = 7;
inline constexpr int kMbYesNoCancel = 8;
// Added to a set: the second button is the default (Enter, first focus), for
// questions whose safe answer is not the first one.
inline constexpr int kMbDefaultSecond = 100;

// Sounds, the `sound` argument. Any value but kSoundNone beeps before the box
// opens.
inline constexpr int kSoundNone = 0;
inline constexpr int kSoundError = 16;
inline constexpr int kSoundQuestion = 32;
inline constexpr int kSoundWarning = 48;
inline constexpr int kSoundInformation = 64;

// Shows `text` in a modal box titled `caption` and returns the kMr… result of
// the button pressed. Escape and the window's close button give the set's
// cancelling answer (MsgBoxEscapeResult); Enter presses the first button
// (the second with kMbDefaultSecond).
// Carriage returns in the text break lines, so "\r\r" leaves a blank line.
int MsgBox(const QString& text, const QString& caption, int buttons, int sound);
// The same; in input mode (kMbInput) the edit line starts with `text`, and when
// the box is closed with OK the edited text is stored in *input. Any other
// answer, or any other set, leaves *input alone. `input` may be null.
int MsgBox(const QString& text, const QString& caption, int buttons, int sound, QString* input);

// The results of a set's buttons, left to right.
QList<int> MsgBoxButtonResults(int buttons);
// What Escape answers: Cancel when the set has Cancel, else No for Yes/No,
// else OK.
int MsgBoxEscapeResult(int buttons);
bool MsgBoxIsInput(int buttons);
// The text as the label shows it: CR LF and lone CRs become line breaks.
QString MsgBoxDisplayText(const QString& text);

// The box's fixed geometry. All rectangles are in the window's client
// coordinates.
struct MsgBoxGeometry {
    static constexpr int kPicturePanelWidth = 111;
    static constexpr int kPicturePanelHeight = 95;
    static constexpr int kPictureFrameWidth = 97;
    static constexpr int kPictureFrameHeight = 86;
    static constexpr int kStripHeight = 35;
    static constexpr int kButtonPanelWidth = 235;
    static constexpr int kButtonWidth = 75;
    static constexpr int kButtonHeight = 25;
    // The widest a label grows before it wraps.
    static constexpr int kMaxLabelWidth = kButtonPanelWidth + kPictureFrameWidth;

    QSize client;
    QRect picturePanel;
    QRect pictureFrame;
    QRect label;      // empty in input mode
    bool wrapLabel = false;
    QRect edit;       // empty unless in input mode
    QRect strip;      // the button strip along the bottom
    QRect buttonPanel;  // the strip's right part, holding the buttons
    QList<QRect> buttons;  // left to right
};

// Lays the box out from the label's natural (unwrapped) size. When that is
// wider than kMaxLabelWidth the label is narrowed to it and wrapped, and
// `wrappedHeight(width)` tells how tall it then is. In input mode the label
// is not shown and `editHeight` is the edit line's height.
MsgBoxGeometry LayoutMsgBox(QSize labelNaturalSize, const std::function<int(int)>& wrappedHeight,
                            int buttonCount, bool inputMode, int editHeight);

// The message box window.
class TForm9 : public QDialog {
    Q_OBJECT
public:
    explicit TForm9(QWidget* parent = nullptr);
    ~TForm9() override;

    // Fills the box for one message: title, text, buttons, and the fixed
    // geometry that follows from them. Focus starts on the edit line in input
    // mode (its text selected) and on the default button otherwise.
    void Prepare(const QString& text, const QString& caption, int buttons);

    QString InputText() const;
    const MsgBoxGeometry& Geometry() const { return geometry_; }

    // Escape and the close button answer the set's cancelling result.
    void reject() override;

protected:
    void showEvent(QShowEvent* e) override;
    // Without an edit line a button's underlined letter presses it, with or
    // without Alt, as in every dialog that has no text field.
    void keyPressEvent(QKeyEvent* e) override;

private:
    void CentreOnScreen();

    QWidget* picturePanel_ = nullptr;
    QWidget* pictureFrame_ = nullptr;
    QLabel* label_ = nullptr;
    QLineEdit* edit_ = nullptr;
    QWidget* strip_ = nullptr;
    QWidget* buttonPanel_ = nullptr;
    QList<QPushButton*> buttons_;
    MsgBoxGeometry geometry_;
    int escapeResult_ = kMrOk;
};

// One recorded MsgBox call made while a script was active.
struct MsgBoxCall {
    QString caption;
    QString text;
    int buttons = 0;
    int sound = 0;

    friend bool operator==(const MsgBoxCall&, const MsgBoxCall&) = default;
};

// Scripted answers for tests. While a Scope lives, MsgBox never shows a
// window: it records the call and returns the next pushed answer, or, when
// none is left, the set's cancelling answer, so a forgotten answer never
// blocks a test. Scopes nest; the outermost one starts and ends with an empty
// queue and an empty record.
class MsgBoxScript {
public:
    class Scope {
    public:
        Scope();
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
    };

    // Queues an answer. For an input box answered with OK, `input` is the text
    // the user "typed"; without it the text is returned unedited.
    static void Push(int result, std::optional<QString> input = std::nullopt);
    // Queues an answer given only after `whileOpen` has run, as if the box
    // stayed open meanwhile (events processed there arrive during the question).
    static void PushWhileOpen(int result, std::function<void()> whileOpen);
    static QList<MsgBoxCall> Calls();
    // Answers still queued.
    static int Pending();
    static void Reset();
    static bool Active();
};

} // namespace vesk
