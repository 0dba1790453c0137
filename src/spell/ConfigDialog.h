// TConfigDialog: "Spell Check Configuration", the dictionaries and options of the spell checker.
//
// Edits a copy of the engine's configuration; OK saves it to the
// configuration file (the engine reopens what is now in use), anything else
// leaves it as it was, asking first when something was changed. The two
// reset buttons act on the engine's lists at once.
#pragma once

#include "spell/SpellConfig.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace vesk {

class TSpellChecker;

// The "Dictionaries" page.
class TDictSheet : public QWidget {
    Q_OBJECT
public:
    TDictSheet(TConfiguration& config, QWidget* parent);
    QListWidget* Mains() const { return mains_; }
    QListWidget* Users() const { return users_; }
    QComboBox* AddWordsTo() const { return addTo_; }
    QPushButton* Button(const char* name) const;

    void AddMain();
    void RemoveMain();
    void MoveMain(int by);
    void AddUser();
    void RemoveUser();
    void NewUser();

signals:
    void changed();

private:
    void Fill();
    void FillUsers();
    QString Folder() const;

    TConfiguration& config_;
    QListWidget* mains_ = nullptr;
    QListWidget* users_ = nullptr;
    QComboBox* addTo_ = nullptr;
    bool filling_ = false;
};

// The "Options" page: a check box for each option the engine makes visible.
class TSpellOptionsSheet : public QWidget {
    Q_OBJECT
public:
    TSpellOptionsSheet(TConfiguration& config, TSpellChecker& engine, QWidget* parent);
    // The check box of an option, or null when it is not shown.
    QCheckBox* Box(TSpellOption option) const;

signals:
    void changed();

private:
    TConfiguration& config_;
    std::vector<std::pair<TSpellOption, QCheckBox*>> boxes_;
};

class TConfigDialog : public QDialog {
    Q_OBJECT
public:
    TConfigDialog(TSpellChecker& engine, QWidget* parent);

    const TConfiguration& Configuration() const { return config_; }
    bool Changed() const { return changed_; }
    TDictSheet* DictSheet() const { return dictSheet_; }
    TSpellOptionsSheet* OptionsSheet() const { return optionsSheet_; }
    QTabWidget* Pages() const { return pages_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

    // Saves the configuration and closes with Accepted; a failed write is
    // told and the dialog stays open.
    void accept() override;
    // Asks "Exit without saving configuration?" when something changed;
    // No keeps the dialog open.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    bool MayLeave();

    TConfiguration config_;
    bool changed_ = false;
    QTabWidget* pages_ = nullptr;
    TDictSheet* dictSheet_ = nullptr;
    TSpellOptionsSheet* optionsSheet_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// The engine's OnConfigure: the dialog over `parent`, modal; true when saved.
bool RunConfigDialog(TSpellChecker& engine, QWidget* parent);

} // namespace vesk
