// The help window: the program's help pages in a text browser, with links,
// back and forward, find in page, and a size kept between runs.
//
// One window serves the whole program; ShowHelpTopic and ShowHelpContents
// are what a Help button or menu item calls. A topic whose page is missing
// shows a "Help topic not found" page, never an empty window. Links to other
// pages of the help stay in the window; web addresses and other documents
// open with the desktop's default application.
#pragma once

#include <QMainWindow>
#include <QString>

class QAction;
class QLabel;
class QLineEdit;
class QTextBrowser;
class QUrl;

namespace vesk {

class THelpWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit THelpWindow(QWidget* parent = nullptr);
    ~THelpWindow() override;

    // Shows the page of `topic` (kHelpContents for the contents).
    void ShowTopic(int topic);
    // Follows a link as a click on it would.
    void OpenLink(const QUrl& link);
    // Finds the next (or previous) occurrence of `text` in the page, from the
    // cursor, wrapping round; false when the page does not hold it.
    bool Find(const QString& text, bool backward = false);

    // The page shown: the absolute path of its file, or "" for the
    // "not found" page.
    QString PagePath() const;

    QTextBrowser* Browser() const { return browser_; }
    QAction* BackAction() const { return back_; }
    QAction* ForwardAction() const { return forward_; }
    QAction* ContentsAction() const { return contents_; }
    QLineEdit* FindEdit() const { return findEdit_; }

protected:
    void hideEvent(QHideEvent* e) override;

private:
    void ShowNotFound(int topic, const QString& path);
    void UpdateTitle();

    QTextBrowser* browser_ = nullptr;
    QAction* back_ = nullptr;
    QAction* forward_ = nullptr;
    QAction* contents_ = nullptr;
    QLineEdit* findEdit_ = nullptr;
    QLabel* findResult_ = nullptr;
    bool notFound_ = false;
};

// Opens the program's help window (created on first use, kept until the
// program ends) on `topic`, and brings it to the front. Asked for while a
// modal dialog is open, the help window is modal too, so it can be used.
void ShowHelpTopic(int topic);
void ShowHelpContents();
// The program's help window; null until help was first asked for.
THelpWindow* ProgramHelpWindow();

} // namespace vesk
