// The help window and the program-wide help entry points.
#include "platform/HelpWindow.h"

#include "platform/HelpTopics.h"
#include "platform/Launcher.h"
#include "platform/ProfileFile.h"
#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QShortcut>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>

#include <string>

namespace vesk {
namespace {

// The window's size is kept in the program's settings file.
const char* const kSettingsFile = "orla.ini";
const char* const kSection = "Help";
constexpr QSize kDefaultSize(680, 560);

QPointer<THelpWindow> g_window;

bool IsHelpPage(const QUrl& url)
{
    return url.isLocalFile() || url.scheme().isEmpty();
}

} // namespace

THelpWindow::THelpWindow(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("HTML Vesk Help"));
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("HelpText"));
    // Every link passes through OpenLink: help pages stay here, anything
    // else goes to the desktop, and a missing page is said to be missing.
    browser_->setOpenLinks(false);
    setCentralWidget(browser_);
    connect(browser_, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) { OpenLink(url); });
    connect(browser_, &QTextBrowser::sourceChanged, this, [this]() { UpdateTitle(); });

    auto* bar = addToolBar(QStringLiteral("Help"));
    bar->setObjectName(QStringLiteral("HelpBar"));
    bar->setMovable(false);
    back_ = bar->addAction(QStringLiteral("<< &Back"), browser_, &QTextBrowser::backward);
    back_->setShortcut(QKeySequence::Back);
    back_->setEnabled(false);
    forward_ = bar->addAction(QStringLiteral("&Forward >>"), browser_, &QTextBrowser::forward);
    forward_->setShortcut(QKeySequence::Forward);
    forward_->setEnabled(false);
    contents_ = bar->addAction(QStringLiteral("&Contents"), this, [this]() { ShowTopic(kHelpContents); });
    contents_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Home));
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QAction::setEnabled);
    bar->addSeparator();
    bar->addWidget(new QLabel(QStringLiteral(" Find: "), bar));
    findEdit_ = new QLineEdit(bar);
    findEdit_->setObjectName(QStringLiteral("FindEdit"));
    findEdit_->setPlaceholderText(QStringLiteral("text in this page"));
    findEdit_->setMaximumWidth(220);
    bar->addWidget(findEdit_);
    findResult_ = new QLabel(bar);
    bar->addWidget(findResult_);
    connect(findEdit_, &QLineEdit::returnPressed, this, [this]() { Find(findEdit_->text()); });
    connect(findEdit_, &QLineEdit::textEdited, findResult_, &QLabel::clear);
    auto* findKey = new QShortcut(QKeySequence::Find, this);
    connect(findKey, &QShortcut::activated, this, [this]() {
        findEdit_->setFocus();
        findEdit_->selectAll();
    });
    auto* next = new QShortcut(QKeySequence::FindNext, this);
    connect(next, &QShortcut::activated, this, [this]() { Find(findEdit_->text()); });
    auto* previous = new QShortcut(QKeySequence::FindPrevious, this);
    connect(previous, &QShortcut::activated, this, [this]() { Find(findEdit_->text(), true); });

    const std::string settings = ProgramFileStd(QString::fromLatin1(kSettingsFile));
    const int width = GetPrivateProfileInt(kSection, "Width", kDefaultSize.width(), settings);
    const int height = GetPrivateProfileInt(kSection, "Height", kDefaultSize.height(), settings);
    resize(QSize(width, height).expandedTo(QSize(320, 240)));
}

THelpWindow::~THelpWindow() = default;

void THelpWindow::ShowTopic(int topic)
{
    const QString path = HelpPagePath(topic);
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        ShowNotFound(topic, path);
        return;
    }
    notFound_ = false;
    const QUrl url = QUrl::fromLocalFile(path);
    if (browser_->source() == url)
        browser_->reload();
    else
        browser_->setSource(url);
    UpdateTitle();
}

void THelpWindow::OpenLink(const QUrl& link)
{
    if (!IsHelpPage(link)) {
        ShellOpen(link.toString());
        return;
    }
    const QUrl base = notFound_ || browser_->source().isEmpty() ? QUrl::fromLocalFile(HelpFolder()) : browser_->source();
    const QUrl target = base.resolved(link);
    const QString path = target.toLocalFile();
    if (!QFileInfo(path).isFile()) {
        ShowNotFound(-1, path);
        return;
    }
    notFound_ = false;
    browser_->setSource(target);
    UpdateTitle();
}

void THelpWindow::ShowNotFound(int topic, const QString& path)
{
    notFound_ = true;
    browser_->setHtml(HelpNotFoundHtml(topic, path));
    UpdateTitle();
}

QString THelpWindow::PagePath() const
{
    return notFound_ ? QString() : browser_->source().toLocalFile();
}

void THelpWindow::UpdateTitle()
{
    const QString help = QStringLiteral("HTML Vesk Help");
    const QString title = browser_->documentTitle();
    setWindowTitle(title.isEmpty() || title == help ? help : help + QStringLiteral(" - ") + title);
}

bool THelpWindow::Find(const QString& text, bool backward)
{
    if (text.isEmpty())
        return false;
    const QTextDocument::FindFlags flags = backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    bool found = browser_->find(text, flags);
    if (!found) {
        // Wrap round: search again from the other end of the page.
        const QTextCursor keep = browser_->textCursor();
        QTextCursor from(browser_->document());
        from.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
        browser_->setTextCursor(from);
        found = browser_->find(text, flags);
        if (!found)
            browser_->setTextCursor(keep);
    }
    findResult_->setText(found ? QString() : QStringLiteral(" Not found"));
    return found;
}

void THelpWindow::hideEvent(QHideEvent* e)
{
    QMainWindow::hideEvent(e);
    // The size is remembered; a settings file that cannot be written only
    // means the next run opens at the default size.
    const std::string settings = ProgramFileStd(QString::fromLatin1(kSettingsFile));
    try {
        for (const auto& [key, value] : {std::pair{"Width", width()}, std::pair{"Height", height()}}) {
            if (GetPrivateProfileInt(kSection, key, -1, settings) != value) {
                // The settings file is born private: it may come to hold passwords.
                (void)CreatePrivateFile(ProgramFile(QString::fromLatin1(kSettingsFile)));
                WritePrivateProfileString(kSection, key, std::to_string(value), settings);
            }
        }
    } catch (const std::exception&) {
    }
}

void ShowHelpTopic(int topic)
{
    if (!g_window) {
        g_window = new THelpWindow();
        // The window has no parent (it stays up beside any dialog that asked
        // for it); it goes when the application does.
        qAddPostRoutine([]() { delete g_window.data(); });
    }
    g_window->ShowTopic(topic);
    // Asked from a modal dialog, the window would be blocked by it like
    // every other window; it is then modal itself, above the dialog, until
    // it is closed.
    QWidget* modal = QApplication::activeModalWidget();
    const Qt::WindowModality modality = modal && modal != g_window ? Qt::ApplicationModal : Qt::NonModal;
    if (g_window->windowModality() != modality && modal != g_window) {
        g_window->hide();
        g_window->setWindowModality(modality);
    }
    g_window->show();
    g_window->raise();
    g_window->activateWindow();
}

void ShowHelpContents()
{
    ShowHelpTopic(kHelpContents);
}

THelpWindow* ProgramHelpWindow()
{
    return g_window.data();
}

} // namespace vesk
