// TForm7, the JavaScript folder: a tree of the script categories and their
// files, with Run (the script in browser 1), Insert (its text into the
// document), Delete, and links to sites that publish scripts.
//
// The tree is built afresh from the folder every time the window is shown or
// becomes active again, so files added from outside appear at once. The
// window does its file work through ScriptFolder.h and reaches the rest of
// the program only through the hooks below, which its owner fills in.
#pragma once

#include "platform/HelpWindow.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>

class QTreeWidget;
class QTreeWidgetItem;

namespace vesk {

class TForm7 : public QDialog {
    Q_OBJECT
public:
    explicit TForm7(QWidget* parent = nullptr);

    // The script folder shown (the program's "Script/" unless set).
    void SetRoot(const QString& root) { root_ = root; }
    const QString& Root() const { return root_; }

    // ---- what the window does --------------------------------------------
    // Creates the missing category folders and fills the tree, keeping the
    // selected script selected when it is still there.
    void BuildTree();
    // Run, Insert, Delete: each does nothing unless a script is selected.
    void Button30Click();
    void Button31Click();
    void Button32Click();
    // Link label `index` (0 … 6, see ScriptSites): the site in browser 1, or
    // with the desktop's default browser when browser 1 is not set.
    void LinkLabelClick(int index);

    QTreeWidget* Tree() const { return tree_; }
    // Selects `category`'s script `name`, the category itself (empty name)
    // or the root (empty category); false when the tree has no such node.
    bool Select(const QString& category, const QString& name = QString());

    // ---- hooks ---------------------------------------------------------------
    // Browser 1's command line ("" when none is set).
    std::function<QString()> browserCommand;
    // Starts a program: `command` with `document` put into its first "%1"
    // or after it (useShell false), or opens `command` with the desktop's
    // default application (useShell true). Failures are reported by it.
    std::function<void(const QString& command, bool useShell, const std::optional<QString>& document)> run;
    // Puts the text of the file at `path` into the document; reports itself
    // when the file cannot be read.
    std::function<void(const QString& path)> insertFile;
    // An error message, and a Yes/No question (true for Yes).
    std::function<void(const QString& text, const QString& caption)> showError;
    std::function<bool(const QString& text, const QString& caption)> confirm;
    std::function<void(int topic)> OnHelp = ShowHelpTopic;

protected:
    void showEvent(QShowEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    // The selected script as (category, file name); nullopt for the root or a category.
    struct TSelected {
        QString category;
        QString name;
    };
    std::optional<TSelected> SelectedScript() const;

    QString root_;
    QTreeWidget* tree_ = nullptr;
};

} // namespace vesk
