// THTMLVeskMain: the menus, the editor pop-up menu, the tool bar, the bars and the Reopen menu.
#include "app/ClipperBar.h"
#include "app/DocumentFiles.h"
#include "app/MainWindow.h"
#include "app/ToolGlyphs.h"
#include "controls/ShadoButton.h"
#include "tools/QuickCodes.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>

namespace vesk {

QAction* THTMLVeskMain::AddAction(QMenu* menu, const QString& name, const QString& caption,
                                  const QKeySequence& shortcut, std::function<void()> run)
{
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    if (run)
        connect(action, &QAction::triggered, this, [run]() { run(); });
    if (menu)
        menu->addAction(action);
    actions_[name] = action;
    return action;
}

void THTMLVeskMain::FillQuickCodeMenu(QMenu* menu)
{
    // Both Quick Codes menus: the same items in the same order.
    auto add = [this](QMenu* m, const char* caption) {
        for (const TQuickCodeMenuItem& item : kQuickCodeMenuItems) {
            if (QLatin1String(item.caption) == QLatin1String(caption)) {
                const int code = item.code;
                connect(m->addAction(QString::fromLatin1(caption)), &QAction::triggered, this,
                        [this, code]() { QuickCodeInsert(code); });
            }
        }
    };
    for (const char* caption : {"Web Site Shell", "Font", "Line", "Picture or Image", "Link - HREF", "Link - NAME"})
        add(menu, caption);
    QMenu* lists = menu->addMenu(QString::fromLatin1(kQuickCodeListsCaption));
    for (const char* caption : {"Numbered", "Bullets", "Dictionary", "Menu"})
        add(lists, caption);
    add(menu, "Copyright");
    menu->addSeparator();
    // Opens the preferences at their quick-code page once that dialog exists.
    menu->addAction(QStringLiteral("Change Settings"))->setObjectName(QStringLiteral("ChangeSettings1"));
}

void THTMLVeskMain::BuildMenus()
{
    auto edit = [this](std::function<void(TVeskMemoFile&)> f) {
        return [this, f]() {
            if (current_) {
                f(*current_);
                current_->setFocus();
            }
        };
    };
    auto none = std::function<void()>();

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    AddAction(file, "New1", "&New", QKeySequence(Qt::CTRL | Qt::Key_N), [this]() { NewClick(); });
    AddAction(file, "Open1", "&Open", {}, [this]() { OpenDirClick(); });
    reopenMenu_ = file->addMenu(QStringLiteral("&Reopen"));
    reopenMenu_->setObjectName(QStringLiteral("Reopen1"));
    AddAction(file, "Save1", "&Save", QKeySequence(Qt::CTRL | Qt::Key_S), [this]() { SaveClick(); });
    AddAction(file, "SaveAs1", "Save &As", QKeySequence(Qt::CTRL | Qt::Key_A), [this]() { SaveAsClick(); });
    file->addSeparator();
    AddAction(file, "ImportFile1", "&Import Text", QKeySequence(Qt::CTRL | Qt::Key_I), [this]() { ImportFile1Click(); });
    AddAction(file, "ExportText1", "&Export Text", QKeySequence(Qt::CTRL | Qt::Key_E), [this]() { ExportText1Click(); });
    file->addSeparator();
    AddAction(file, "Print1", "&Print", QKeySequence(Qt::CTRL | Qt::Key_P), none);
    file->addSeparator();
    AddAction(file, "Exit1", "E&xit", {}, [this]() { close(); });

    QMenu* editMenu = menuBar()->addMenu(QStringLiteral("&Edit"));
    AddAction(editMenu, "Undo1", "&Undo", QKeySequence(Qt::CTRL | Qt::Key_Z), edit([](TVeskMemoFile& e) { e.Undo(); }));
    AddAction(editMenu, "Redo1", "&Redo", {}, edit([](TVeskMemoFile& e) { e.Redo(); }));
    editMenu->addSeparator();
    AddAction(editMenu, "Cut1", "Cu&t", QKeySequence(Qt::CTRL | Qt::Key_X), edit([](TVeskMemoFile& e) { e.CutToClipboard(); }));
    AddAction(editMenu, "Copy1", "&Copy", QKeySequence(Qt::CTRL | Qt::Key_C), edit([](TVeskMemoFile& e) { e.CopyToClipboard(); }));
    AddAction(editMenu, "Paste1", "&Paste", QKeySequence(Qt::CTRL | Qt::Key_V), edit([](TVeskMemoFile& e) { e.PasteFromClipboard(); }));
    AddAction(editMenu, "Delete1", "&Delete", QKeySequence(Qt::Key_Delete), [this]() { DeleteClick(); });
    AddAction(editMenu, "SelectAll1", "&Select All", {}, edit([](TVeskMemoFile& e) { e.SelectAll(); }));
    editMenu->addSeparator();
    AddAction(editMenu, "Find1", "&Find", QKeySequence(Qt::CTRL | Qt::Key_F), [this]() { FindClick(); });
    AddAction(editMenu, "Replace1", "&Replace", QKeySequence(Qt::CTRL | Qt::Key_R), [this]() { ReplaceClick(); });
    editMenu->addSeparator();
    QAction* wrap = AddAction(editMenu, "WordWrap1", "&Word Wrap", {}, [this]() { WordWrapClick(); });
    wrap->setCheckable(true);
    wrap->setChecked(true);

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    const std::pair<const char*, const char*> bars[] = {{"Toolbar1", "Panel6"}, {"Clipper1", "Panel2"},
                                                        {"SECodes1", "StringGrid1"}, {"SingleCodes1", "StringGrid2"}};
    const char* captions[] = {"&Toolbar", "&Clipper", "&Starting/Ending Codes", "S&ingle Codes"};
    for (std::size_t i = 0; i < 4; ++i) {
        const QString barName = QString::fromLatin1(bars[i].second);
        QAction* a = AddAction(view, bars[i].first, captions[i], {}, none);
        a->setCheckable(true);
        a->setChecked(i == 0);
        connect(a, &QAction::toggled, this, [this, barName](bool on) {
            if (QWidget* bar = Bar(barName))
                bar->setVisible(on);
        });
    }
    view->addSeparator();
    AddAction(view, "CreateTab1", "C&reate Tab", {}, [this]() { CreateTab1Click(); });

    FillQuickCodeMenu(menuBar()->addMenu(QStringLiteral("&Quick Codes")));

    QMenu* browsers = menuBar()->addMenu(QStringLiteral("&Browsers"));
    for (const char* item : {"Run &1st Browser", "Run &2nd Browser", "Run &3rd Browser", "Run &4th Browser"})
        browsers->addAction(QString::fromLatin1(item));

    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    AddAction(tools, "EditPicture1", "&Edit Picture", {}, none);
    AddAction(tools, "ColorProducer1", "&Color Producer", {}, [this]() { ColorProducer1Click(); });
    tools->addSeparator();
    AddAction(tools, "SpellChecker1", "&Spell Checker", {}, none);
    AddAction(tools, "Thesaurus1", "&Thesaurus", {}, none);
    tools->addSeparator();
    AddAction(tools, "Updater1", "&Updater", {}, [this]() { UpdaterBtnClick(); });
    AddAction(tools, "JavaScripts1", "&JavaScripts", {}, none);
    AddAction(tools, "Validator1", "&Validator", {}, [this]() { ValidBtnClick(); });
    AddAction(tools, "Uploader1", "Up&loader", {}, none);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    AddAction(help, "Preferences1", "&Preferences", {}, none);
    AddAction(help, "HelpContents1", "&Help Contents", QKeySequence(Qt::CTRL | Qt::Key_H), none);
    help->addSeparator();
    AddAction(help, "StartupScreen1", "&Startup Screen", {}, none);
    AddAction(help, "About1", "&About HTML Vesk", {}, none);

    // The editor pop-up menu, shared by every editor.
    popup_ = new QMenu(this);
    popup_->setObjectName(QStringLiteral("PopupMenu1"));
    AddAction(popup_, "PopUndo", "&Undo", {}, edit([](TVeskMemoFile& e) { e.Undo(); }));
    AddAction(popup_, "PopRedo", "&Redo", {}, edit([](TVeskMemoFile& e) { e.Redo(); }));
    popup_->addSeparator();
    AddAction(popup_, "PopCut", "Cu&t", {}, edit([](TVeskMemoFile& e) { e.CutToClipboard(); }));
    AddAction(popup_, "PopCopy", "&Copy", {}, edit([](TVeskMemoFile& e) { e.CopyToClipboard(); }));
    AddAction(popup_, "PopPaste", "&Paste", {}, edit([](TVeskMemoFile& e) { e.PasteFromClipboard(); }));
    popup_->addSeparator();
    QMenu* search = popup_->addMenu(QStringLiteral("&Search"));
    connect(search->addAction(QStringLiteral("&Find")), &QAction::triggered, this, [this]() { FindClick(); });
    connect(search->addAction(QStringLiteral("&Replace")), &QAction::triggered, this, [this]() { ReplaceClick(); });
    QMenu* clipper = popup_->addMenu(QStringLiteral("C&lipper"));
    AddAction(clipper, "PopClipCut", "Cu&t", {}, [this]() { ClipperCut(); });
    AddAction(clipper, "PopClipCopy", "&Copy", {}, [this]() { ClipperCopy(); });
    AddAction(clipper, "PopClipPaste", "&Paste", {}, [this]() { ClipperPaste(); });
    FillQuickCodeMenu(popup_->addMenu(QStringLiteral("&Quick Codes")));
    QMenu* popupTools = popup_->addMenu(QStringLiteral("&Tools"));
    // The pop-up's tools run the same commands as the Tools menu's items.
    const std::pair<const char*, const char*> popupToolItems[] = {
        {"&View Picture", "EditPicture1"}, {"&Color Producer", "ColorProducer1"}, {"&Spell Checker", "SpellChecker1"},
        {"&Thesaurus", "Thesaurus1"},      {"&JavaScripts", "JavaScripts1"},     {"&Updater", "Updater1"},
        {"&Validator", "Validator1"},      {"Up&loader", "Uploader1"}};
    for (const auto& [caption, command] : popupToolItems) {
        QAction* item = popupTools->addAction(QString::fromLatin1(caption));
        QAction* target = Action(QString::fromLatin1(command));
        connect(item, &QAction::triggered, target, &QAction::trigger);
        connect(target, &QAction::changed, item, [item, target]() { item->setEnabled(target->isEnabled()); });
    }
}

// A 24 × 24 shadow button that runs `command` and follows its enabling.
static TShadoButton* ShadoButtonFor(QAction* command, const QString& name, const QString& hint)
{
    auto* button = new TShadoButton;
    button->setObjectName(name);
    button->setFixedSize(24, 24);
    button->SetGlyph(ToolGlyph(name));
    button->SetHint(hint);
    button->setEnabled(command->isEnabled());
    button->OnClick = [command](QObject*) { command->trigger(); };
    QObject::connect(command, &QAction::changed, button, [button, command]() { button->setEnabled(command->isEnabled()); });
    return button;
}

void THTMLVeskMain::BuildToolBar()
{
    toolBar_ = addToolBar(QStringLiteral("Toolbar"));
    toolBar_->setObjectName(QStringLiteral("Panel6"));
    toolBar_->setMovable(false);
    bars_[QStringLiteral("Panel6")] = toolBar_;
    struct Button {
        const char* name;
        const char* hint;
        const char* menuAction;  // the menu item it shares its command with, if any
    };
    const Button groups[][10] = {
        {{"OpenBtn", "Open File", "Open1"},
         {"SaveBtn", "Save File", "Save1"},
         {"PrintBtn", "Print", "Print1"}},
        {{"UndoBtn", "Undo", "Undo1"}, {"RedoBtn", "Redo", "Redo1"}},
        {{"CutBtn", "Cut Text", "Cut1"},
         {"CopyBtn", "Copy Text", "Copy1"},
         {"PasteBtn", "Paste Text", "Paste1"}},
        {{"FindBtn", "Find Word", "Find1"},
         {"ReplaceBtn", "Replace Word", "Replace1"},
         {"PictureBtn", "Edit Picture", "EditPicture1"},
         {"ColorBtn", "Color Producer", "ColorProducer1"},
         {"SpellBtn", "Spell Checker", "SpellChecker1"},
         {"ThesBtn", "Thesaurus", "Thesaurus1"},
         {"UpdaterBtn", "Updater", "Updater1"},
         {"ScriptBtn", "JavaScript", "JavaScripts1"},
         {"ValidBtn", "HTML Validator (debugger)", "Validator1"},
         {"UploadBtn", "Uploader", "Uploader1"}},
        {{"PreferBtn", "Set Preferences", "Preferences1"},
         {"Browser1Btn", "Browser 1", nullptr},
         {"Browser2Btn", "Browser 2", nullptr},
         {"Browser3Btn", "Browser 3", nullptr},
         {"Browser4Btn", "Browser 4", nullptr}},
    };
    bool firstGroup = true;
    for (const auto& group : groups) {
        if (!firstGroup)
            toolBar_->addSeparator();  // small gaps between the groups
        firstGroup = false;
        for (const Button& b : group) {
            if (!b.name)
                break;
            QAction* menuItem = b.menuAction ? Action(QString::fromLatin1(b.menuAction)) : nullptr;
            const QString name = QString::fromLatin1(b.name);
            QAction* command = AddAction(nullptr, name, QString::fromLatin1(b.hint), {}, {});
            if (menuItem)
                connect(command, &QAction::triggered, menuItem, &QAction::trigger);
            toolBar_->addWidget(ShadoButtonFor(command, name, QString::fromLatin1(b.hint)));
        }
    }
}

void THTMLVeskMain::BuildBars()
{
    // The clipper bar and the two code bars are filled by their own commands;
    // here they take their places under the tool bar, hidden by default.
    auto* holder = new QWidget(this);
    auto* layout = new QVBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    clipper_ = new TClipperBar(holder);
    clipper_->OnCut = [this]() { ClipperCut(); };
    clipper_->OnCopy = [this]() { ClipperCopy(); };
    clipper_->OnPaste = [this]() { ClipperPaste(); };
    clipper_->OnDelete = [this]() { TransparentButton1Click(); };
    clipper_->OnKeyMenu = [this](int key, bool ctrl) { SendClipperKey(key, ctrl); };
    QWidget* clipper = clipper_;
    auto* se = new QTableWidget(1, 8, holder);
    se->setObjectName(QStringLiteral("StringGrid1"));
    auto* single = new QTableWidget(1, 8, holder);
    single->setObjectName(QStringLiteral("StringGrid2"));
    connect(se, &QTableWidget::cellDoubleClicked, this, &THTMLVeskMain::ListBox2DblClick);
    connect(single, &QTableWidget::cellDoubleClicked, this, &THTMLVeskMain::ListBox1DblClick);
    for (QTableWidget* grid : {se, single}) {
        grid->setFixedHeight(36);
        grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        grid->setFocusPolicy(Qt::NoFocus);  // a bar, like the tool bar: the editor keeps the keys
        grid->horizontalHeader()->hide();
        grid->verticalHeader()->hide();
        grid->verticalHeader()->setDefaultSectionSize(14);
        // Eight columns share the bar's width, whatever the window's size.
        grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    }
    for (QWidget* w : {clipper, static_cast<QWidget*>(se), static_cast<QWidget*>(single)}) {
        layout->addWidget(w);
        w->hide();
        bars_[w->objectName()] = w;
    }
    addToolBarBreak();
    auto* barHost = new QToolBar(QStringLiteral("Bars"), this);
    barHost->setObjectName(QStringLiteral("BarHost"));
    barHost->setMovable(false);
    barHost->addWidget(holder);
    addToolBar(barHost);
}

void THTMLVeskMain::FillMenu()
{
    reopenMenu_->clear();
    const TReopenMenu menu = ReadReopenMenu();
    // Placeholders run the save prompt like any item and then open nothing.
    auto add = [this](const QString& caption) {
        QAction* a = reopenMenu_->addAction(caption);
        connect(a, &QAction::triggered, this, [this, caption]() { OpenClick(caption); });
    };
    if (menu.recent.isEmpty())
        add(QStringLiteral("No Recent Files"));
    for (const QString& path : menu.recent)
        add(path);
    reopenMenu_->addSeparator();
    if (menu.preferred.isEmpty())
        add(QStringLiteral("Specify Files in Settings"));
    for (const QString& path : menu.preferred)
        add(path);
}

} // namespace vesk
