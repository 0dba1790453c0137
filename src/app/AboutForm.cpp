// The about and tour window: its pages, texts and buttons.
#include "app/AboutForm.h"

#include "app/ExternalPrograms.h"
#include "controls/Placed.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace vesk {
namespace {

struct TPageText {
    const char* title;
    const char* text;  // rich text
};

// The tour, pages 1 to 7.
constexpr TPageText kTour[] = {
    {"Welcome",
     "<p>HTML Vesk is an editor and set of special tools for HTML Programmers.</p>"
     "<p>This short tour shows what it offers. Press <b>Next</b> to go on. You can take the tour "
     "again at any time with Help &gt; Startup Screen.</p>"},
    {"Basics",
     "<p>Every document has a tab of its own: the small <b>+</b> button at the bottom right (or "
     "View &gt; Create Tab) adds one, and Ctrl+Tab moves between them. Tags are coloured as you type, "
     "and Undo and Redo (Ctrl+Z, Ctrl+Y) go back through every change.</p>"
     "<p>The clipper (View &gt; Clipper) keeps twelve pieces of text: F1 to F12 choose one, Ctrl+F1 to "
     "Ctrl+F12 paste it. Click the grey gutter beside a line to place a line marker and use the "
     "gutter's menu to jump back to it. Find is Ctrl+F, Replace Ctrl+R.</p>"},
    {"Tools",
     "<p>The tool bar starts the HTML tools on the page you are editing. The <b>HTML Validator</b> "
     "checks it against HTML 4.0 Strict and lists numbered errors that lead to their lines. The "
     "<b>Color Producer</b> turns a colour into an HTML colour value or a set of BODY colours. The "
     "<b>Updater</b> replaces the dates in the page with today's.</p>"
     "<p><b>Edit Picture</b> opens the picture whose name you selected; <b>Browser 1</b> to "
     "<b>Browser 4</b> show the page in your browsers. Choose the browsers and picture viewers in "
     "Help &gt; Preferences.</p>"},
    {"Codes",
     "<p>Starting/ending codes (View &gt; Starting/Ending Codes) wrap the selected text in a pair of "
     "tags: select a word, double-click &lt;B&gt; and it becomes &lt;B&gt;word&lt;/B&gt;. Single codes "
     "(View &gt; Single Codes) put one tag at the caret.</p>"
     "<p>Quick codes (the Quick Codes menu) insert ready-made markup: a whole page shell, a font, a "
     "line, a picture, links, lists and a copyright line, built from the answers you give the Quick "
     "Code Setup Wizard.</p>"},
    {"Uploader",
     "<p>The uploader sends finished pages to your web server by FTP. Enter your sites once under "
     "Help &gt; Preferences, Uploader Setup; collect the files to send in the Upload Bin; then press "
     "<b>Connect</b> and <b>Upload Bin</b>.</p>"
     "<p>Both file lists of the uploader let you move through folders, rename, delete and create "
     "folders on your computer and on the server.</p>"},
    {"Automatic",
     "<p>Before a document is closed or replaced, HTML Vesk can do the routine work for you: update "
     "its dates, check its spelling, validate it, save it (keeping the old file as a .BAK copy), add it "
     "to the upload list and start the uploader.</p>"
     "<p>Each step asks first; <b>Cancel</b> keeps the document open and changes nothing. Switch "
     "the steps on and off in Help &gt; Preferences.</p>"},
    {"Products",
     "<p>Also part of HTML Vesk:</p>"
     "<p><b>htmlvesk --validate</b> checks pages from a terminal or a script, with the same rules and "
     "messages as the Validator window, and tells by its exit status whether any page had "
     "errors.</p>"
     "<p><b>The help pages</b> (Help &gt; Help Contents, Ctrl+H) describe every window, and each "
     "window's Help button opens its own page.</p>"},
};
static_assert(std::size(kTour) == TForm6::kLastPage);

QLabel* Heading(QWidget* page, const QString& text)
{
    auto* label = new QLabel(text, page);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 1.6);
    font.setBold(true);
    label->setFont(font);
    return label;
}

QLabel* Body(QWidget* page, const QString& richText)
{
    auto* label = new QLabel(richText, page);
    label->setTextFormat(Qt::RichText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    return label;
}

} // namespace

TForm6::TForm6(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("About HTML Vesk"));
    // A title bar without system buttons: the window is left with its own buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);
    setFixedSize(480, 320);
    Notebook1 = Placed<QStackedWidget>(this, "Notebook1", {}, {0, 0, 480, 264});
    Bevel1 = Placed<QFrame>(this, "Bevel1", {}, {8, 270, 464, 2});
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    BackBtn = Placed<QPushButton>(this, "BackBtn", QStringLiteral("<< &Back"), {294, 284, 84, 26});
    NextBtn = Placed<QPushButton>(this, "NextBtn", QStringLiteral("&Next >>"), {388, 284, 84, 26});
    NextBtn->setDefault(true);
    connect(BackBtn, &QPushButton::clicked, this, [this]() { BackClick(); });
    connect(NextBtn, &QPushButton::clicked, this, [this]() { NextClick(); });

    // Page 0: about.
    auto* about = new QWidget(Notebook1);
    about->setObjectName(QStringLiteral("About"));
    auto* layout = new QVBoxLayout(about);
    layout->setContentsMargins(28, 24, 28, 8);
    layout->addWidget(Heading(about, QStringLiteral("HTML Vesk")));
    layout->addWidget(new QLabel(QStringLiteral("version 1.11 - 04/03/2000"), about));
    layout->addSpacing(12);
    layout->addWidget(Body(about, QStringLiteral("An editor and set of special tools for people who write "
                                                 "HTML by hand.")));
    const QString address = QString::fromLatin1(kProjectWebAddress);
    LinkLabel = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(address.toHtmlEscaped()), about);
    LinkLabel->setObjectName(QStringLiteral("LinkLabel"));
    LinkLabel->setTextFormat(Qt::RichText);
    LinkLabel->setToolTip(QStringLiteral("Visit the HTML Vesk web site"));
    // The address is started by us, not by the label, so a failure is told
    // the way every failed start is.
    LinkLabel->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(LinkLabel, &QLabel::linkActivated, this, [this]() { LinkClick(); });
    layout->addSpacing(8);
    layout->addWidget(LinkLabel);
    layout->addStretch(1);
    Notebook1->addWidget(about);

    for (const TPageText& t : kTour) {
        auto* page = new QWidget(Notebook1);
        page->setObjectName(QString::fromLatin1(t.title));
        auto* pageLayout = new QVBoxLayout(page);
        pageLayout->setContentsMargins(28, 24, 28, 8);
        pageLayout->addWidget(Heading(page, QString::fromLatin1(t.title)));
        pageLayout->addSpacing(6);
        pageLayout->addWidget(Body(page, QString::fromUtf8(t.text)), 1);
        Notebook1->addWidget(page);
    }
    // A white book: the pages and the strip with the buttons alike.
    setStyleSheet(QStringLiteral("vesk--TForm6, QStackedWidget, QStackedWidget > QWidget { background: white; }"
                                 " QLabel { color: black; }"));
    Start(kAboutPage);
}

QString TForm6::PageTitle(int page) const
{
    if (page == kAboutPage)
        return QStringLiteral("About");
    if (page >= kFirstTourPage && page <= kLastPage)
        return QString::fromLatin1(kTour[page - 1].title);
    return {};
}

int TForm6::Page() const
{
    return Notebook1->currentIndex();
}

void TForm6::ShowPage(int page)
{
    Notebook1->setCurrentIndex(page);
    const bool tour = page != kAboutPage;
    BackBtn->setVisible(tour);
    Bevel1->setVisible(tour);
    BackBtn->setEnabled(page > kFirstTourPage);
    if (!tour)
        NextBtn->setText(QStringLiteral("&OK"));
    else if (page == kLastPage)
        NextBtn->setText(QStringLiteral("&Finish"));
    else
        NextBtn->setText(QStringLiteral("&Next >>"));
    NextBtn->setFocus();
}

void TForm6::Start(int page)
{
    ShowPage(page == kAboutPage ? kAboutPage : kFirstTourPage);
}

void TForm6::AboutClick()
{
    Start(kAboutPage);
    exec();
}

void TForm6::StartupScreen1Click()
{
    Start(kFirstTourPage);
    exec();
}

void TForm6::NextClick()
{
    const int page = Page();
    if (page == kAboutPage || page == kLastPage)
        accept();
    else
        ShowPage(page + 1);
}

void TForm6::BackClick()
{
    if (Page() > kFirstTourPage)
        ShowPage(Page() - 1);
}

void TForm6::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    // Centred on the screen, whatever the main window's place.
    if (QScreen* s = screen()) {
        QRect r = frameGeometry();
        r.moveCenter(s->availableGeometry().center());
        move(r.topLeft());
    }
}

void TForm6::LinkClick()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    RunExecutable(QString::fromLatin1(kProjectWebAddress), true);
    QApplication::restoreOverrideCursor();
}

} // namespace vesk
