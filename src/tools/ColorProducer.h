// TForm3, the colour producer: mixes a colour from red, green and blue
// parts and puts it into the document, either as one colour at the cursor
// (text mode) or as the five page colours of the BODY tag (page settings).
//
// The window remembers its six colours between openings; the page colours
// are read from the document again each time it opens, the text colour only
// when the selection offers one.
#pragma once

#include "platform/HelpWindow.h"
#include "tools/ColorCodes.h"

#include <QDialog>

#include <array>
#include <functional>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;

namespace vesk {

class TSlideBar;

class TForm3 : public QDialog {
    Q_OBJECT
public:
    // Who opened the window: the main window (0), the wizard's font page
    // (1, text mode only) or the wizard's BODY page (2, page settings only).
    enum TOpeningMode { omMainWindow = 0, omWizardFont = 1, omWizardBody = 2 };

    explicit TForm3(QWidget* parent = nullptr);

    void SetOpeningMode(int mode) { openingMode_ = mode; }
    int OpeningMode() const { return openingMode_; }
    // The document the window reads from and inserts into (may be null in
    // the wizard's modes).
    void SetEditor(TVeskMemoCore* editor) { editor_ = editor; }

    // ---- what the window does --------------------------------------------
    // Sets up the mode and loads the colours; runs whenever it is shown.
    void FormActivate();
    // Text mode (true) or page settings (false).
    void TextRadioEnable(bool textMode);
    bool TextMode() const;
    // Shows a colour in the boxes, bars and sample, and keeps it.
    void ChangeColor(TColorValue color);
    // The colour the three boxes make.
    TColorValue BoxesColor() const;
    // Stores the boxes' colour as the colour being edited.
    void SaveColorVar();
    // "&Insert": puts the colour(s) where the opening mode says, then closes.
    void Button1Click();

    TColorValue TextColor() const { return textColor_; }
    const TPageColors& PageColors() const { return page_; }
    // Which page colour the controls edit.
    TPageColor PageTarget() const;

    // Results for the wizard's modes, and the help button (topic 43, the
    // program's help window unless replaced).
    std::function<void(const QString& rrggbb)> OnFontColor;
    std::function<void(const TPageColors& colors)> OnBodyColors;
    std::function<void(int topic)> OnHelp = ShowHelpTopic;

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void BuildControls();
    void PageRadioButtonClick();
    void ColorScrollBarChange(int index);
    void ColorEditChange(int index);
    void UpdateSample();
    void StepPressed(int bar, int delta);
    void StepReleased();

    int openingMode_ = omMainWindow;
    TVeskMemoCore* editor_ = nullptr;
    TColorValue textColor_ = kColorBlack;
    TPageColors page_ = DefaultPageColors();
    bool updating_ = false;
    bool repeating_ = false;

    // Index 0 = red, 1 = green, 2 = blue.
    std::array<TSlideBar*, 3> bars_{};
    std::array<QLineEdit*, 3> edits_{};
    std::array<QRadioButton*, 5> pageRadios_{};
    QRadioButton* textRadio_ = nullptr;
    QRadioButton* pageRadio_ = nullptr;
    QFrame* sample_ = nullptr;  // Panel1
    QLabel* label1_ = nullptr;
    QLabel* label2_ = nullptr;
    QLabel* label7_ = nullptr;
    std::array<QLabel*, 6> pageLabels_{};  // Label3, Label4, Label5, Label9, Label6, Label8
    std::vector<std::pair<QFrame*, TColorValue>> swatches_;
    QTimer* repeat_ = nullptr;
    int repeatBar_ = 0;
    int repeatDelta_ = 0;
};

} // namespace vesk
