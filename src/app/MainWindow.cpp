// THTMLVeskMain: tabs, the current editor, command enabling, titles, start-up and closing.
#include "app/MainWindow.h"

#include "app/ClipperBar.h"
#include "app/CodeBars.h"
#include "app/DocumentFiles.h"
#include "app/EditCommands.h"
#include "app/FileCommands.h"
#include "app/MsgBox.h"
#include "app/UnreadableSettings.h"
#include "app/ToolEntries.h"
#include "controls/TransparentButton.h"
#include "platform/Autostart.h"
#include "platform/FileNames.h"
#include "platform/ProgramFolder.h"
#include "settings/FileLists.h"
#include "settings/SettingsSections.h"
#include "settings/WindowPlacement.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace vesk {
namespace {

QString Latin1(std::string_view s)
{
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}

} // namespace

QRect FirstStartGeometry(const QRect& available, int toolBarWidth)
{
    // Most of the screen, wide enough for the whole tool bar, centred; a
    // saved placement replaces it from the second start on.
    const int width = std::min(available.width(), std::max(toolBarWidth + 40, std::min(1100, available.width() * 4 / 5)));
    const int height = std::min(available.height(), std::max(480, std::min(800, available.height() * 4 / 5)));
    QRect r(0, 0, width, height);
    r.moveCenter(available.center());
    return r;
}

THTMLVeskMain::THTMLVeskMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("HTMLVeskMain"));
    setWindowTitle(QStringLiteral("HTML Vesk"));
    AskBeforeReplacingUnreadableFiles();
    encodingLabel_ = new QLabel(this);
    encodingLabel_->setObjectName(QStringLiteral("EncodingLabel"));
    encodingLabel_->setToolTip(QStringLiteral("The encoding the document is saved in"));
    statusBar()->addPermanentWidget(encodingLabel_);

    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("PageControl1"));
    pages_->setTabPosition(QTabWidget::South);
    pages_->setDocumentMode(true);
    keys_ = std::make_shared<TStartStopKeyList>();
    AddHtmlStartStopKeys(*keys_);

    commands_ = new TCommands(this, [this](std::string_view, const TCommandHandler& handler) {
        if (current_)
            RunCommand(*current_, handler);
    });
    commands_->BuildMenuBar(*menuBar());
    popup_ = commands_->BuildPopupMenu(this);
    toolBar_ = addToolBar(QStringLiteral("Toolbar"));
    toolBar_->setObjectName(Latin1(kToolBarName));
    toolBar_->setMovable(false);
    commands_->BuildToolBar(*toolBar_);
    bars_[std::string(kToolBarName)] = toolBar_;
    BuildBars();
    markers_ = new TLineMarkers(this, [this](int k) { GotoTag(k); });
    CreateTab1Click();  // the first tab, designed into the window
    if (QWidget* first = pages_->widget(0))
        first->setObjectName(QStringLiteral("TabSheet1"));

    plus_ = new QToolButton(pages_);
    plus_->setText(QStringLiteral("+"));
    QFont bold = plus_->font();
    bold.setBold(true);
    plus_->setFont(bold);
    plus_->setFixedSize(16, 16);
    plus_->setToolTip(QStringLiteral("Create Tab"));
    connect(plus_, &QToolButton::clicked, this, [this]() { commands_->Trigger("CreateTab1"); });

    connect(pages_, &QTabWidget::currentChanged, this, [this](int index) { PageControlChange(index); });
    pages_->installEventFilter(this);  // the "+" button follows the tab area's size
    // Paste follows what the clipboard holds, even while the editor is idle.
    // Asking the clipboard is a round trip to the display server, so it is
    // asked when the clipboard changes, not on every caret move.
    if (QClipboard* clipboard = QGuiApplication::clipboard()) {
        auto clipboardChanged = [this, clipboard]() {
            const QMimeData* data = clipboard->mimeData();
            clipboardHasText_ = data && data->hasText();
            RichEditSelChange();
        };
        connect(clipboard, &QClipboard::dataChanged, this, clipboardChanged);
        clipboardChanged();
    }

    // The keys Linux editors use between tabs.
    const std::pair<QKeySequence, int> tabKeys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},      {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
        {QKeySequence(Qt::CTRL | Qt::Key_Backtab), -1}, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1},
    };
    for (const auto& [keys, step] : tabKeys) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, [this, step = step]() {
            if (TabCount() > 1)
                pages_->setCurrentIndex((pages_->currentIndex() + step + TabCount()) % TabCount());
        });
    }
    setGeometry(FirstStartGeometry(screen() ? screen()->availableGeometry() : QRect(0, 0, 1024, 768),
                                   toolBar_->sizeHint().width()));

    files_ = std::make_unique<TFileCommands>(*this);
    vesk::SetEditCommands(*this);
    entries_ = CreateToolEntries(*this);
    // The window sees every key before the focused control does, so the
    // clipper's function keys work whichever editor has the focus; gutter
    // clicks (line markers) come through the same filter.
    qApp->installEventFilter(this);
    Form1Resize();
}

THTMLVeskMain::~THTMLVeskMain()
{
    qApp->removeEventFilter(this);
    // Every editor lets go of the shared key list before the window goes.
    for (int i = 0; i < TabCount(); ++i) {
        if (TVeskMemoFile* e = Editor(i))
            e->Highlighting().SetStartStopKeys(nullptr);
    }
}

// ---- commands -------------------------------------------------------------------

namespace {

// Counts the commands in progress; the last one to end opens what was handed over.
class TCommandScope {
public:
    TCommandScope(int& depth, std::function<void()> atEnd) : depth_(depth), atEnd_(std::move(atEnd)) { ++depth_; }
    ~TCommandScope()
    {
        if (--depth_ == 0)
            atEnd_();
    }
    TCommandScope(const TCommandScope&) = delete;
    TCommandScope& operator=(const TCommandScope&) = delete;

private:
    int& depth_;
    std::function<void()> atEnd_;
};

} // namespace

void THTMLVeskMain::RunCommand(TVeskMemoFile& editor, const std::function<void(TVeskMemoFile&)>& body)
{
    const TCommandScope scope(commandDepth_, [this]() {
        if (!handedOver_.isEmpty())
            QTimer::singleShot(0, this, [this]() { OpenHandedOver(); });
    });
    // An exception that escapes a command ends that command only: the
    // program and every document stay.
    try {
        body(editor);
    } catch (const std::exception& e) {
        ShowException(e);
    } catch (...) {
        ShowException(std::runtime_error("An unexpected error ended the command."));
    }
}

void THTMLVeskMain::ShowException(const std::exception& e)
{
    MsgBox(QString::fromUtf8(e.what()), QStringLiteral("HTML Vesk"), kMbOk, kSoundError);
}

void THTMLVeskMain::SetCommand(std::string_view name, TCommandHandler handler)
{
    commands_->SetHandler(name, std::move(handler));
}

QAction* THTMLVeskMain::Action(const QString& name) const
{
    return commands_->Action(std::string_view(name.toLatin1().constData()));
}

QMenu* THTMLVeskMain::ReopenMenu() const
{
    return commands_->Submenu(kReopenMenuName);
}

QWidget* THTMLVeskMain::Bar(std::string_view name) const
{
    const auto it = bars_.find(name);
    return it == bars_.end() ? nullptr : it->second;
}

void THTMLVeskMain::RichEditUpdate()
{
    if (!current_)
        return;
    ShowDocumentState(*current_);
    OnPopup5();
    RichEditSelChange();
}

void THTMLVeskMain::RichEditSelChange()
{
    if (!current_)
        return;
    TCommandFacts facts;
    facts.hasText = current_->CharCount() > 0 || current_->ParagraphCount() > 1;
    facts.hasSelection = current_->SelLength() != 0;
    facts.clipperHasItems = clipper_->List().Count() > 0;
    facts.canUndo = current_->CanUndo();
    facts.canRedo = current_->CanRedo();
    facts.clipboardHasText = clipboardHasText_;
    commands_->Update(facts);
    clipper_->CutButton()->setEnabled(facts.hasSelection);
    clipper_->CopyButton()->setEnabled(facts.hasSelection);
    clipper_->PasteButton()->setEnabled(facts.clipperHasItems);
}

void THTMLVeskMain::FillToolBars()
{
    seCodes_->Fill(ReadCodeList(kSECodesSection));
    singleCodes_->Fill(ReadCodeList(kSingleCodesSection));
    files_->FillMenu();
}

void THTMLVeskMain::BuildBars()
{
    // The clipper bar and the two code bars stand between the tool bar and
    // the tabs, in the window's central area, so a bar that is shown gets
    // the full width and hidden bars take no room at all.
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    clipper_ = new TClipperBar(central);
    clipper_->OnCut = [this]() { commands_->Trigger("ClipperCut"); };
    clipper_->OnCopy = [this]() { commands_->Trigger("ClipperCopy"); };
    clipper_->OnPaste = [this]() { commands_->Trigger("ClipperPaste"); };
    seCodes_ = new TCodeBar(Latin1(kSECodesBarName), QStringLiteral("S/E Codes"), central);
    singleCodes_ = new TCodeBar(Latin1(kSingleCodesBarName), QStringLiteral("Single Codes"), central);
    // S/E codes wrap the selection; single codes replace it.
    seCodes_->OnCode = [this](const QString& code) {
        if (current_)
            RunCommand(*current_, [code](TVeskMemoFile& e) {
                InsertStartEndCode(e, code);
                e.setFocus();
            });
    };
    singleCodes_->OnCode = [this](const QString& code) {
        if (current_)
            RunCommand(*current_, [code](TVeskMemoFile& e) {
                InsertSingleCode(e, code);
                e.setFocus();
            });
    };
    for (QWidget* w : {static_cast<QWidget*>(clipper_), static_cast<QWidget*>(seCodes_),
                       static_cast<QWidget*>(singleCodes_)}) {
        layout->addWidget(w);
        w->hide();
        bars_[w->objectName().toStdString()] = w;
    }
    layout->addWidget(pages_, 1);
    setCentralWidget(central);
}

// ---- tabs -----------------------------------------------------------------------

int THTMLVeskMain::TabCount() const
{
    return pages_->count();
}

TVeskMemoFile* THTMLVeskMain::Editor(int page) const
{
    return findChild<TVeskMemoFile*>(QStringLiteral("RE%1").arg(page));
}

TVeskGutter* THTMLVeskMain::Gutter(int page) const
{
    return findChild<TVeskGutter*>(QStringLiteral("PG%1").arg(page));
}

void THTMLVeskMain::ConfigureEditor(TVeskMemoFile* editor, TVeskGutter* gutter)
{
    // What the document editors are designed with.
    editor->Highlighting().SetStartStopKeys(keys_);
    editor->Highlighting().SetApplyKeyWords(false);
    editor->Highlighting().SetSeparators("\t ,.:;");
    editor->SetScrollBars(TVeskScrollBars::Vertical);
    editor->SetHideSelection(false);
    editor->SetEndOfTextMark(QPen(Qt::NoPen));
    // Room to undo any edit of a page of normal size, Select All and
    // retyping included (the designed 64 KB lost whole pages to one key).
    editor->SetUndoMaxSpace(kDocumentUndoSpace);
    editor->SetCaretWidth(2);
    editor->SetEnableStyleKeys(false);  // style codes would be invisible bytes in the page
    editor->OnChange = [this](TVeskMemoStore*) { RichEditUpdate(); };
    editor->OnSelMove = [this](TVeskMemoCore*) { RichEditSelChange(); };
    editor->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(editor, &QWidget::customContextMenuRequested, this,
            [this, editor](const QPoint& at) { popup_->popup(editor->mapToGlobal(at)); });
    gutter->SetBaseWidth(30);
    gutter->setToolTip(QStringLiteral("Click Here to Place or Remove Marker"));
    gutter->SetMemo(editor);
    gutter->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(gutter, &QWidget::customContextMenuRequested, this,
            [this, gutter](const QPoint& at) { GutterMenu()->popup(gutter->mapToGlobal(at)); });
}

void THTMLVeskMain::TabsChanging()
{
    for (const auto& f : tabsChange_)
        f();
}

void THTMLVeskMain::CreateTab1Click()
{
    TabsChanging();
    const int n = pages_->count();
    auto* page = new QWidget();
    page->setObjectName(QStringLiteral("TS%1").arg(n));
    auto* layout = new QHBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* gutter = new TVeskGutter(page);
    gutter->setObjectName(QStringLiteral("PG%1").arg(n));
    auto* editor = new TVeskMemoFile(page);
    editor->setObjectName(QStringLiteral("RE%1").arg(n));
    layout->addWidget(gutter);
    layout->addWidget(editor);
    ConfigureEditor(editor, gutter);
    {
        const QSignalBlocker block(pages_);  // the new page is made current here, not by the change handler
        pages_->addTab(page, QStringLiteral("Untitled"));
        pages_->setCurrentIndex(n);
    }
    current_ = editor;
    currentGutter_ = gutter;
    editor->SetModified(false);
    RichEditUpdate();
    editor->setFocus();
    Form1Resize();
}

void THTMLVeskMain::PageControlChange(int index)
{
    if (index < 0)
        return;
    TabsChanging();
    current_ = Editor(index);
    currentGutter_ = Gutter(index);
    if (!current_)
        return;
    current_->setFocus();
    RichEditUpdate();
}

void THTMLVeskMain::ShowTabOf(TVeskMemoFile* editor)
{
    for (int i = 0; i < TabCount(); ++i) {
        if (Editor(i) == editor) {
            const QSignalBlocker block(pages_);
            pages_->setCurrentIndex(i);
            current_ = editor;
            currentGutter_ = Gutter(i);
            return;
        }
    }
}

void THTMLVeskMain::AddFile(const QString& path)
{
    if (!FileExists(path))
        return;  // files that do not exist are ignored
    QFile file;
    if (const std::optional<QString> problem = OpenDocumentForReading(path, file)) {
        MsgBox(*problem, QStringLiteral("HTML Vesk"), kMbOk, kSoundError);
        return;  // a folder, a device, a pipe: no tab for it
    }
    CreateTab1Click();
    try {
        files_->LoadInto(*current_, file, path);
    } catch (const std::exception& e) {
        ShowException(e);
        return;
    }
    DocumentNamed(*current_, path);
    RichEditUpdate();
}

bool THTMLVeskMain::Busy() const
{
    return commandDepth_ > 0 || QApplication::activeModalWidget() != nullptr;
}

int THTMLVeskMain::CopyDataReceived(int identifier, const QString& text)
{
    if (identifier == 27) {
        if (isMinimized())
            showNormal();
        raise();
        activateWindow();
        // A new tab now would change the current editor under a question
        // that is still open; the file waits until it is answered.
        if (Busy()) {
            handedOver_ << text;
            if (commandDepth_ == 0)
                QTimer::singleShot(100, this, [this]() { OpenHandedOver(); });
        } else {
            AddFile(text);
        }
    }
    return 1;
}

void THTMLVeskMain::OpenHandedOver()
{
    if (handedOver_.isEmpty())
        return;
    if (Busy()) {
        // Still inside a question that no command asked: look again shortly.
        if (commandDepth_ == 0)
            QTimer::singleShot(100, this, [this]() { OpenHandedOver(); });
        return;
    }
    const QStringList files = std::exchange(handedOver_, {});
    for (const QString& path : files)
        AddFile(path);
}

// ---- titles ---------------------------------------------------------------------

void THTMLVeskMain::ShowDocumentState(TVeskMemoFile& editor)
{
    const QString mark = editor.Modified() ? QStringLiteral("*") : QString();
    for (int i = 0; i < TabCount(); ++i) {
        if (Editor(i) == &editor && pages_->tabText(i) != mark + DocumentName(editor))
            pages_->setTabText(i, mark + DocumentName(editor));
    }
    if (&editor != current_)
        return;
    const QString title = QStringLiteral("HTML Vesk - ") + mark
                        + (editor.FileName().isEmpty() ? QStringLiteral("Untitled") : editor.FileName());
    if (windowTitle() != title)
        setWindowTitle(title);
    encodingLabel_->setText(EncodingName(editor.Encoding()));
}

void THTMLVeskMain::DocumentNamed(TVeskMemoFile& editor, const QString& path)
{
    ShowDocumentState(editor);
    // The document is open (or saved) whatever becomes of the list: a
    // settings file that cannot be written is reported, and the command goes on.
    try {
        const TReopenMenu menu = ReadReopenMenu();
        if (menu.recent.isEmpty() || menu.recent.front() != path) {
            AddRecent(path);
            files_->FillMenu();
        }
    } catch (const std::exception& e) {
        ShowException(e);
    }
}

// ---- start-up and closing ---------------------------------------------------------

void THTMLVeskMain::Form1Show(const QStringList& arguments)
{
    if (current_)
        current_->Clear();
    RunCommand(*current_, [this, &arguments](TVeskMemoFile& first) {
        ReadIni();
        FillToolBars();
        if (!arguments.isEmpty()) {
            const QString path = QFileInfo(arguments.front()).absoluteFilePath();
            try {
                files_->LoadInto(first, path);
                DocumentNamed(first, path);
            } catch (const std::exception& e) {
                ShowException(e);
            }
            for (int i = 1; i < arguments.size(); ++i)
                AddFile(QFileInfo(arguments[i]).absoluteFilePath());
        }
    });
    RichEditUpdate();
    RichEditSelChange();
    Form1Resize();
}

void THTMLVeskMain::ReadIni()
{
    try {
        clipper_->List().SetItems(ReadClipperFile(ProgramFile(QString::fromLatin1(kClipperFileName))));
    } catch (const std::exception& e) {
        ShowException(e);
    }
    clipper_->ComboBox1Change();
    if (std::optional<WindowPlacement> placement = ReadPlacement()) {
        // Held to the screen it belongs on, whatever the file says.
        const QPoint corner(placement->left, placement->top);
        QScreen* screen = QGuiApplication::screenAt(corner) ? QGuiApplication::screenAt(corner)
                                                            : QGuiApplication::primaryScreen();
        if (screen)
            placement = ClampPlacement(*placement, screen->availableGeometry());
        setGeometry(placement->left, placement->top, placement->right - placement->left,
                    placement->bottom - placement->top);
        const Qt::WindowState state = ShowStateToWindowState(placement->showCmd);
        if (state != Qt::WindowNoState)
            setWindowState(state);
    }
    const ViewBars bars = ReadViewBars();
    const bool visible[] = {bars.toolbar, bars.clipper, bars.seCodes, bars.singleCodes};
    for (std::size_t i = 0; i < std::size(kBars); ++i) {
        if (QWidget* bar = Bar(kBars[i].name))
            bar->setVisible(visible[i]);
        if (QAction* a = commands_->Action(kBars[i].command))
            a->setChecked(visible[i]);
    }
}

void THTMLVeskMain::WriteIni()
{
    WindowPlacement placement;
    const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    placement.left = normal.left();
    placement.top = normal.top();
    placement.right = normal.left() + normal.width();
    placement.bottom = normal.top() + normal.height();
    placement.showCmd = isMaximized() ? kShowMaximized : (isMinimized() ? kShowMinimized : kShowNormal);
    if (QScreen* screen = this->screen())
        placement = ClampPlacement(placement, screen->availableGeometry());
    WritePlacement(placement);
    ViewBars bars;
    bars.toolbar = Bar(kToolBarName)->isVisibleTo(this);
    bars.clipper = Bar(kClipperBarName)->isVisibleTo(this);
    bars.seCodes = Bar(kSECodesBarName)->isVisibleTo(this);
    bars.singleCodes = Bar(kSingleCodesBarName)->isVisibleTo(this);
    WriteViewBars(bars);
    // The recent and preferred files are written the moment they change;
    // the Reopen menu only shows them.
    WriteClipperFile(ProgramFile(QString::fromLatin1(kClipperFileName)), clipper_->List().Items());
}

bool THTMLVeskMain::SavePrompt(TVeskMemoFile* editor)
{
    if (!editor)
        return true;
    // Show the tab being asked about.
    ShowTabOf(editor);
    editor->setFocus();
    QApplication::processEvents();
    return savePrompt_.Run(*editor, ReadAutoClose());
}

bool THTMLVeskMain::CloseAllowed()
{
    // Anything that ends the prompts early (Cancel, a save that did not
    // happen, an error) keeps the program open.
    bool allowed = false;
    RunCommand(*current_, [this, &allowed](TVeskMemoFile&) {
        for (int i = 0; i < TabCount(); ++i) {
            if (!SavePrompt(Editor(i)))
                return;
        }
        allowed = true;
        // The documents are safe by now; settings that cannot be written are
        // reported and do not keep the program open.
        try {
            WriteIni();
        } catch (const std::exception& e) {
            MsgBox(QStringLiteral("The settings could not be saved.\r\r") + QString::fromUtf8(e.what()),
                   QStringLiteral("HTML Vesk"), kMbOk, kSoundWarning);
        }
    });
    return allowed;
}

QString THTMLVeskMain::SessionEnding()
{
    QString command;
    RunCommand(*current_, [this, &command](TVeskMemoFile&) {
        const AutoCloseOptions options = ReadAutoClose();
        QStringList arguments{QCoreApplication::applicationFilePath()};
        for (int i = 0; i < TabCount(); ++i) {
            TVeskMemoFile* editor = Editor(i);
            if (editor->CharCount() > 0 && options.saveChanges && editor->Modified()) {
                if (MsgBox(DocumentName(*editor) + QStringLiteral(" has changed") + QStringLiteral("\r\r")
                               + QStringLiteral("Save changes?"),
                           QStringLiteral("Save Changes?"), kMbYesNo, kSoundWarning)
                    == kMrYes) {
                    ShowTabOf(editor);
                    files_->SaveClick(*editor);
                }
            }
            if (!editor->FileName().isEmpty())
                arguments << editor->FileName();
        }
        QStringList quoted;
        for (const QString& a : arguments)
            quoted << QuoteExecArgument(a);
        command = quoted.join(QLatin1Char(' '));
        // The next login starts the program once with these documents; the
        // start removes the entry again.
        if (!WriteSessionAutostart(arguments))
            throw std::runtime_error("Unable to write to " + SessionAutostartPath().toStdString());
        WriteIni();
    });
    return command;
}

void THTMLVeskMain::closeEvent(QCloseEvent* e)
{
    if (CloseAllowed())
        e->accept();
    else
        e->ignore();
}

// ---- events -----------------------------------------------------------------------

bool THTMLVeskMain::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == pages_ && e->type() == QEvent::Resize)
        Form1Resize();
    if (e->type() == QEvent::KeyPress && current_) {
        // Each press reaches this filter once per widget it propagates
        // through; taking it the first time makes it count once.
        auto* key = static_cast<QKeyEvent*>(e);
        auto* target = qobject_cast<QWidget*>(watched);
        if (key->key() >= Qt::Key_F1 && key->key() <= Qt::Key_F12 && target && target->window() == this) {
            bool taken = false;
            RunCommand(*current_, [&](TVeskMemoFile& editor) {
                taken = clipper_->ClipperKey(key->key() - Qt::Key_F1 + 1,
                                             key->modifiers().testFlag(Qt::ControlModifier), editor);
            });
            if (taken)
                return true;
        }
    }
    if (e->type() == QEvent::MouseButtonPress && qobject_cast<TVeskGutter*>(watched)) {
        auto* mouse = static_cast<QMouseEvent*>(e);
        if (watched == currentGutter_ && mouse->button() == Qt::LeftButton && current_) {
            const QPoint at = mouse->position().toPoint();
            TVeskGutter& gutter = *currentGutter_;
            RunCommand(*current_, [&](TVeskMemoFile& editor) {
                markers_->GutterMouseDown(editor, gutter, mouse->button(), at.y());
            });
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, e);
}

void THTMLVeskMain::resizeEvent(QResizeEvent* e)
{
    QMainWindow::resizeEvent(e);
    Form1Resize();
}

void THTMLVeskMain::Form1Resize()
{
    if (plus_ && pages_) {
        plus_->move(pages_->width() - 16, pages_->height() - 16);
        plus_->raise();
    }
}

QString QtFileFilter(const QString& pipeFilter)
{
    const QStringList parts = pipeFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (patterns == QLatin1String("*.*"))
            patterns = QStringLiteral("*");
        filters << parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

} // namespace vesk
