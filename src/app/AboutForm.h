// TForm6, "About HTML Vesk": the about page and the tour of the program, one
// modal book of pages with "<< Back" and "Next >>".
//
// Page 0 is the about page (name, version, the web address as a link); pages
// 1 to 7 are the tour, the last one "Products". Shown on page 0 the Next
// button reads "&OK" and closes the window; on the tour it steps forward,
// reads "&Finish" on the last page and closes it there. Back steps back and
// is disabled on page 1; Back and the bevel are hidden on page 0.
#pragma once

#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QPushButton;
class QStackedWidget;

namespace vesk {

// The program's web address, opened by the about page's link.
inline constexpr const char* kProjectWebAddress = "https://htmlvesk.example/";

class TForm6 : public QDialog {
    Q_OBJECT
public:
    static constexpr int kAboutPage = 0;
    static constexpr int kFirstTourPage = 1;
    static constexpr int kLastPage = 7;

    explicit TForm6(QWidget* parent = nullptr);

    // Prepares the window on `page` (kAboutPage or kFirstTourPage) without
    // showing it; AboutClick and StartupScreen1Click then show it modally.
    void Start(int page);
    void AboutClick();
    void StartupScreen1Click();
    void NextClick();
    void BackClick();
    // The about page's link: the web address through the desktop's default
    // handler, with the busy cursor meanwhile; failures under "Execute Error".
    void LinkClick();

    int Page() const;
    // The heading of a page ("About", "Welcome", …, "Products").
    QString PageTitle(int page) const;

    QStackedWidget* Notebook1 = nullptr;
    QFrame* Bevel1 = nullptr;
    QPushButton* BackBtn = nullptr;
    QPushButton* NextBtn = nullptr;
    QLabel* LinkLabel = nullptr;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void ShowPage(int page);
};

} // namespace vesk
