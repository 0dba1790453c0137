// THTMLVeskMain: tabs, the current editor, command enabling, titles, start-up and closing.
#include "app/MainWindow.h"

#include "app/ClipperBar.h"
#include "app/CodeBars.h"
#include "app/DocumentFiles.h"
#include "app/MsgBox.h"
#include "controls/TransparentButton.h"
#include "platform/ProgramFolder.h"
#include "validator/ValidatorForm.h"
#include "settings/FileLists.h"
#include "settings/SettingsSections.h"
#include "settings/WindowPlacement.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMenu>
#include <QMimeData>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>

namespace vesk {

THTMLVeskMain::THTMLVeskMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("HTMLVeskMain"));
    setWindowTitle(QStringLiteral("HTML Vesk"));
    setGeometry(101, 191, 604, 310);

    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("PageControl1"));
    pages_->setTabPosition(QTabWidget::South);
    pages_->setDocumentMode(true);
    keys_ = std::make_shared<TStartStopKeyList>();
    AddHtmlStartStopKeys(*keys_);

    BuildMenus();
    BuildToolBar();
    BuildBars();
    BuildGutterMenu();
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
    connect(plus_, &QToolButton::clicked, this, [this]() { CreateTab1Click(); });

    connect(pages_, &QTabWidget::currentChanged, this, [this](int index) { PageControlChange(index); });
    pages_->installEventFilter(this);  // the "+" button follows the tab area's size
    openFileDialog = [this](const QString& initial) {
        return QFileDialog::getOpenFileName(this, QString(), initial,
            QtFileFilter(QStringLiteral("Web Page (*.htm or *.html)|*.htm;*.html|Text File (*.txt)|*.txt|All Files (*.*)|*.*")));
    };
    saveFileDialog = [this](const QString& initial) {
        return QFileDialog::getSaveFileName(this, QString(), initial,
            QtFileFilter(QStringLiteral("Web Pages (*.htm or *.html)|*.htm;*.html|Text Files (*.txt)|*.txt|All Files|*.*")));
    };
    setCentralWidget(pages_);
    // The save prompt's closing functions run on the tab it made current.
    runUpdater = [this](TVeskMemoFile*) { UpdaterBtnClick(); };
    runValidator = [this](TVeskMemoFile*) { ValidBtnClick(); };
    // The validator's results window lives as long as the main window.
    form8_ = new TForm8(this);
    form8_->CurrentEditor = [this]() { return current_; };
    // The window sees every key before the focused control does, so the
    // clipper's function keys work whichever editor has the focus; gutter
    // clicks (line markers) come through the same filter.
    qApp->installEventFilter(this);

    // One Find and one Replace dialog for the window, remembering their text.
    findDialog_ = new TFindDialog(false, this);
    replaceDialog_ = new TFindDialog(true, this);
    connect(findDialog_, &TFindDialog::findNext, this, [this]() {
        if (!current_)
            return;
        FindNext(*current_, findDialog_->Options());
        current_->ScrollInView();
        current_->setFocus();
    });
    connect(replaceDialog_, &TFindDialog::findNext, this, [this]() {
        if (current_) {
            FindNext(*current_, replaceDialog_->Options());
            current_->ScrollInView();
        }
    });
    connect(replaceDialog_, &TFindDialog::replaceOne, this, [this]() {
        if (current_) {
            ReplaceOne(*current_, replaceDialog_->Options());
            current_->ScrollInView();
            current_->setFocus();
        }
    });
    connect(replaceDialog_, &TFindDialog::replaceAll, this, [this]() {
        if (current_) {
            ReplaceAll(*current_, replaceDialog_->Options());
            current_->ScrollInView();
            current_->setFocus();
        }
    });
    Form1Resize();
}

void THTMLVeskMain::FillToolBars()
{
    if (auto* se = qobject_cast<QTableWidget*>(Bar(QStringLiteral("StringGrid1"))))
        FillCodeBar(*se, QStringLiteral("S/E Codes"), ReadCodeList(kSECodesSection));
    if (auto* single = qobject_cast<QTableWidget*>(Bar(QStringLiteral("StringGrid2"))))
        FillCodeBar(*single, QStringLiteral("Single Codes"), ReadCodeList(kSingleCodesSection));
    FillMenu();
}

void THTMLVeskMain::ListBox2DblClick(int row, int column)
{
    auto* grid = qobject_cast<QTableWidget*>(Bar(QStringLiteral("StringGrid1")));
    if (!grid || !current_ || (row == 0 && column == 0) || !grid->item(row, column))
        return;  // the title cell is a label, not a code
    InsertStartEndCode(*current_, grid->item(row, column)->text());
    current_->setFocus();
}

void THTMLVeskMain::ListBox1DblClick(int row, int column)
{
    auto* grid = qobject_cast<QTableWidget*>(Bar(QStringLiteral("StringGrid2")));
    if (!grid || !current_ || (row == 0 && column == 0) || !grid->item(row, column))
        return;
    InsertSingleCode(*current_, grid->item(row, column)->text());
    current_->setFocus();
}

void THTMLVeskMain::FindClick()
{
    if (current_)
        findDialog_->Open(QString::fromStdString(current_->SelText()));
}

void THTMLVeskMain::ReplaceClick()
{
    if (current_)
        replaceDialog_->Open(QString::fromStdString(current_->SelText()));
}

THTMLVeskMain::~THTMLVeskMain()
{
    // Every editor lets go of the shared key list before the window goes.
    for (int i = 0; i < TabCount(); ++i) {
        if (TVeskMemoFile* e = Editor(i))
            e->Highlighting().SetStartStopKeys(nullptr);
    }
}

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

QAction* THTMLVeskMain::Action(const QString& name) const
{
    const auto it = actions_.find(name);
    return it == actions_.end() ? nullptr : it->second;
}

QWidget* THTMLVeskMain::Bar(const QString& name) const
{
    const auto it = bars_.find(name);
    return it == bars_.end() ? nullptr : it->second;
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
    editor->SetUndoMaxSpace(65536);
    editor->SetCaretWidth(2);
    editor->OnChange = [this](TVeskMemoStore*) { RichEditUpdate(); };
    editor->OnSelMove = [this](TVeskMemoCore*) { RichEditSelChange(); };
    editor->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(editor, &QWidget::customContextMenuRequested, this,
            [this, editor](const QPoint& at) { popup_->popup(editor->mapToGlobal(at)); });
    gutter->setFixedWidth(30);
    gutter->setToolTip(QStringLiteral("Click Here to Place or Remove Marker"));
    gutter->SetMemo(editor);
    gutter->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(gutter, &QWidget::customContextMenuRequested, this,
            [this, gutter](const QPoint& at) { gutterMenu_->popup(gutter->mapToGlobal(at)); });
}

void THTMLVeskMain::CreateTab1Click()
{
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
    RichEditUpdate();
    setWindowTitle(QStringLiteral("HTML Vesk - Untitled"));
    editor->SetModified(false);
    editor->setFocus();
    Form1Resize();
}

void THTMLVeskMain::PageControlChange(int index)
{
    if (index < 0)
        return;
    // The validator's entries name lines of the document it checked; a run
    // in progress stops.
    form8_->close();
    current_ = Editor(index);
    currentGutter_ = Gutter(index);
    if (!current_)
        return;
    current_->setFocus();
    SetTitleFor(current_);
    RichEditUpdate();
}

void THTMLVeskMain::DocumentNamed(const QString& path)
{
    SetTitleFor(current_);
    pages_->setTabText(pages_->currentIndex(), QFileInfo(path).fileName());
    const TReopenMenu menu = ReadReopenMenu();
    if (menu.recent.isEmpty() || menu.recent.front() != path) {
        AddRecent(path);
        FillMenu();
    }
}

void THTMLVeskMain::SetTitleFor(TVeskMemoFile* editor)
{
    setWindowTitle(editor && !editor->FileName().isEmpty() ? QStringLiteral("HTML Vesk - ") + editor->FileName()
                                                          : QStringLiteral("HTML Vesk - Untitled"));
}

void THTMLVeskMain::RichEditUpdate()
{
    if (!current_)
        return;
    const bool hasLines = current_->CharCount() > 0 || current_->ParagraphCount() > 1;
    for (const char* name : {"SaveBtn", "PrintBtn", "SpellBtn", "ValidBtn", "UpdaterBtn", "FindBtn", "ReplaceBtn",
                             "Save1", "SaveAs1", "Print1", "SpellChecker1", "Validator1", "Updater1", "Find1",
                             "Replace1"}) {
        if (QAction* a = Action(QString::fromLatin1(name)))
            a->setEnabled(hasLines);
    }
    OnPopup5();
    RichEditSelChange();
}

void THTMLVeskMain::RichEditSelChange()
{
    if (!current_)
        return;
    const bool selection = current_->SelLength() != 0;
    for (const char* name : {"CutBtn", "CopyBtn", "Cut1", "Copy1", "PopCut", "PopCopy", "ExportText1", "PopClipCut",
                             "PopClipCopy"}) {
        if (QAction* a = Action(QString::fromLatin1(name)))
            a->setEnabled(selection);
    }
    clipper_->CutButton()->setEnabled(selection);
    clipper_->CopyButton()->setEnabled(selection);
    const bool clipperItems = clipper_->List().Count() > 0;
    clipper_->PasteButton()->setEnabled(clipperItems);
    if (QAction* a = Action(QStringLiteral("PopClipPaste")))
        a->setEnabled(clipperItems);
    for (const char* name : {"UndoBtn", "Undo1", "PopUndo"}) {
        if (QAction* a = Action(QString::fromLatin1(name)))
            a->setEnabled(current_->CanUndo());
    }
    for (const char* name : {"RedoBtn", "Redo1", "PopRedo"}) {
        if (QAction* a = Action(QString::fromLatin1(name)))
            a->setEnabled(current_->CanRedo());
    }
    const QMimeData* clip = QGuiApplication::clipboard() ? QGuiApplication::clipboard()->mimeData() : nullptr;
    const bool text = clip && clip->hasText();
    for (const char* name : {"PasteBtn", "Paste1", "PopPaste"}) {
        if (QAction* a = Action(QString::fromLatin1(name)))
            a->setEnabled(text);
    }
}

void THTMLVeskMain::WordWrapClick()
{
    if (!current_)
        return;
    const bool wrap = !current_->WordWrap();
    current_->SetWordWrap(wrap);
    current_->SetScrollBars(wrap ? TVeskScrollBars::Vertical : TVeskScrollBars::Both);
    if (QAction* a = Action(QStringLiteral("WordWrap1")))
        a->setChecked(wrap);
}

void THTMLVeskMain::DeleteClick()
{
    if (!current_)
        return;
    if (current_->SelLength() == 0) {
        // At the end of its paragraph the caret deletes the whole break.
        const std::int32_t p = current_->CurrentParagraph();
        const bool atEnd = current_->ParagraphStart(p) + current_->Paragraph(p).length == current_->SelStart();
        current_->SetSelLength(atEnd ? 2 : 1);
    }
    current_->ClearSelection();
    current_->setFocus();
}

void THTMLVeskMain::LoadInto(TVeskMemoFile* editor, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("Cannot open file " + path.toStdString());
    editor->Select(0, 0);
    editor->LoadFromStream(file);
    editor->SetFileName(path);
    editor->SetModified(false);
}

void THTMLVeskMain::AddFile(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return;  // files that do not exist are ignored
    CreateTab1Click();
    try {
        LoadInto(current_, path);
    } catch (const std::exception&) {
        return;
    }
    DocumentNamed(path);
    RichEditUpdate();
}

int THTMLVeskMain::CopyDataReceived(int identifier, const QString& text)
{
    if (identifier == 27) {
        if (isMinimized())
            showNormal();
        raise();
        activateWindow();
        AddFile(text);
    }
    return 1;
}

void THTMLVeskMain::Form1Show(const QStringList& arguments)
{
    if (current_)
        current_->Clear();
    ReadIni();
    FillToolBars();
    if (!arguments.isEmpty()) {
        const QString first = QFileInfo(arguments.front()).absoluteFilePath();
        try {
            LoadInto(current_, first);
            DocumentNamed(first);
        } catch (const std::exception& e) {
            MsgBox(QString::fromUtf8(e.what()), QStringLiteral("HTML Vesk"), kMbOk, kSoundError);
        }
        for (int i = 1; i < arguments.size(); ++i)
            AddFile(QFileInfo(arguments[i]).absoluteFilePath());
    }
    RichEditUpdate();
    RichEditSelChange();
    Form1Resize();
}

void THTMLVeskMain::ReadIni()
{
    try {
        clipper_->List().SetItems(ReadClipperFile(ProgramFile(QString::fromLatin1(kClipperFileName))));
    } catch (const std::exception& e) {
        MsgBox(QString::fromUtf8(e.what()), QStringLiteral("HTML Vesk"), kMbOk, kSoundError);
    }
    clipper_->ComboBox1Change();
    if (const std::optional<WindowPlacement> placement = ReadPlacement()) {
        setGeometry(placement->left, placement->top, placement->right - placement->left,
                    placement->bottom - placement->top);
        const Qt::WindowState state = ShowStateToWindowState(placement->showCmd);
        if (state != Qt::WindowNoState)
            setWindowState(state);
    }
    const ViewBars bars = ReadViewBars();
    const std::pair<const char*, bool> visible[] = {{"Panel6", bars.toolbar}, {"Panel2", bars.clipper},
                                                   {"StringGrid1", bars.seCodes}, {"StringGrid2", bars.singleCodes}};
    const char* menuItems[] = {"Toolbar1", "Clipper1", "SECodes1", "SingleCodes1"};
    for (std::size_t i = 0; i < 4; ++i) {
        if (QWidget* bar = Bar(QString::fromLatin1(visible[i].first)))
            bar->setVisible(visible[i].second);
        if (QAction* a = Action(QString::fromLatin1(menuItems[i])))
            a->setChecked(visible[i].second);
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
    WritePlacement(placement);
    ViewBars bars;
    bars.toolbar = Bar(QStringLiteral("Panel6"))->isVisibleTo(this);
    bars.clipper = Bar(QStringLiteral("Panel2"))->isVisibleTo(this);
    bars.seCodes = Bar(QStringLiteral("StringGrid1"))->isVisibleTo(this);
    bars.singleCodes = Bar(QStringLiteral("StringGrid2"))->isVisibleTo(this);
    WriteViewBars(bars);
    try {
        WriteClipperFile(ProgramFile(QString::fromLatin1(kClipperFileName)), clipper_->List().Items());
    } catch (const std::exception& e) {
        MsgBox(QString::fromUtf8(e.what()), QStringLiteral("HTML Vesk"), kMbOk, kSoundError);
    }

    // The file menus as shown: recent files before the separator, preferred
    // ones after it; placeholders are not files and are not written.
    bool preferredPart = false;
    int recentSlot = 0, preferredSlot = 0;
    for (QAction* item : reopenMenu_->actions()) {
        if (item->isSeparator()) {
            preferredPart = true;
            continue;
        }
        const QString caption = item->text();
        if (!preferredPart && caption != QLatin1String("No Recent Files") && recentSlot < kFileSlots)
            WriteRecentFile(recentSlot++, caption);
        else if (preferredPart && caption != QLatin1String("Specify Files in Settings") && preferredSlot < kFileSlots)
            WritePreferredMenuEntry(preferredSlot++, caption);
    }
}

bool THTMLVeskMain::CloseAllowed()
{
    for (int i = 0; i < TabCount(); ++i) {
        if (!SavePrompt(Editor(i)))
            return false;
    }
    WriteIni();
    return true;
}

void THTMLVeskMain::closeEvent(QCloseEvent* e)
{
    if (CloseAllowed())
        e->accept();
    else
        e->ignore();
}

bool THTMLVeskMain::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == pages_ && e->type() == QEvent::Resize)
        Form1Resize();
    if (e->type() == QEvent::KeyPress) {
        // Each press reaches this filter once per widget it propagates
        // through; taking it the first time makes it count once.
        auto* key = static_cast<QKeyEvent*>(e);
        auto* target = qobject_cast<QWidget*>(watched);
        if (key->key() >= Qt::Key_F1 && key->key() <= Qt::Key_F12 && target && target->window() == this &&
            ClipperKey(key->key() - Qt::Key_F1 + 1, key->modifiers().testFlag(Qt::ControlModifier)))
            return true;
    }
    if (e->type() == QEvent::MouseButtonPress && qobject_cast<TVeskGutter*>(watched)) {
        auto* mouse = static_cast<QMouseEvent*>(e);
        if (watched == currentGutter_ && mouse->button() == Qt::LeftButton) {
            const QPoint at = mouse->position().toPoint();
            GutterMouseDown(mouse->button(), at.x(), at.y());
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
