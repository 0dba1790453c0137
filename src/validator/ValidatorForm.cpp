// TForm8, the validator's results window.
#include "validator/ValidatorForm.h"

#include "editor/TextEncoding.h"
#include "editor/VeskMemo.h"
#include "platform/ProgramFolder.h"
#include "validator/ValidatorChecks.h"
#include "validator/EditorValidatorDocument.h"

#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace vesk {

// The window as the engine sees it.
class TForm8::Results : public TValidatorResults {
public:
    Results(TForm8& form, TVeskMemoFile* editor) : form_(form), editor_(editor) {}
    void Clear() override { form_.ListBox1->clear(); }
    void Add(const QString& entry) override { form_.ListBox1->addItem(entry); }
    int Count() const override { return form_.ListBox1->count(); }
    void SetStatus(const QString& text) override { form_.Label1->setText(text); }
    void SetProgressMax(std::int32_t max) override
    {
        // A range of 0 … 0 would show the "busy" animation for an empty text.
        form_.ProgressBar1->setRange(0, std::max(max, 1));
    }
    void SetProgress(std::int32_t position) override { form_.ProgressBar1->setValue(position); }
    void ShowResults() override
    {
        if (form_.isHidden())
            form_.PrepareToShow();
        form_.show();
        form_.raise();
        form_.repaint();
    }
    // Hidden by the user or the main window (a minimised main window that
    // takes its tool windows along does not count).
    bool Visible() const override { return !form_.isHidden(); }
    void ProcessEvents() override { QCoreApplication::processEvents(); }
    void ShowFirstError() override { form_.ShowValidateError(editor_.data(), 0); }

private:
    TForm8& form_;
    QPointer<TVeskMemoFile> editor_;
};

TForm8::TForm8(QWidget* parent, const std::string& rulesPath)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      engine_(rulesPath.empty() ? ProgramFileStd(QStringLiteral("4strict.ini")) : rulesPath)
{
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("HTML Vesk Validator"));
    setMinimumSize(kMinimumSize);
    resize(kDefaultSize);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::NoFrame);
    Panel1->setFixedHeight(25);
    auto* top = new QHBoxLayout(Panel1);
    top->setContentsMargins(8, 0, 0, 0);
    top->setSpacing(0);
    Label1 = new QLabel(Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    // At least its designed width, and whatever the window gives it; a long
    // file name does not widen the window.
    Label1->setMinimumWidth(241);
    Label1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    top->addWidget(Label1, 1);
    Panel2 = new QWidget(Panel1);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedWidth(73);
    auto* right = new QHBoxLayout(Panel2);
    right->setContentsMargins(0, 0, 0, 0);
    Button1 = new QPushButton(QStringLiteral("&Help"), Panel2);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setFixedSize(49, 17);
    right->addWidget(Button1, 0, Qt::AlignCenter);
    top->addWidget(Panel2);
    layout->addWidget(Panel1);

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    // Entries wrap at the list's width (and again when it is resized).
    ListBox1->setWordWrap(true);
    ListBox1->setResizeMode(QListView::Adjust);
    ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(ListBox1, 1);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setFixedHeight(21);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setRange(0, 1);
    ProgressBar1->setValue(0);
    layout->addWidget(ProgressBar1);

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this] { ListBox1DblClick(); });
}

TForm8::~TForm8()
{
    // The program may end with the window open.
    if (isVisible())
        SaveSize();
}

QRect PlaceBeside(const QRect& main, const QSize& size, const QRect& available)
{
    constexpr int kGap = 4;
    QRect r(QPoint(main.right() + 1 + kGap, main.top()), size);
    if (r.right() > available.right())
        r.moveLeft(main.left() - kGap - size.width());
    if (r.left() < available.left())
        r.moveLeft(std::min(main.right(), available.right()) + 1 - size.width());  // over the right edge
    r.moveLeft(std::max(std::min(r.left(), available.right() + 1 - size.width()), available.left()));
    r.moveTop(std::max(std::min(r.top(), available.bottom() + 1 - size.height()), available.top()));
    return r;
}

SettingsFile& TForm8::Settings()
{
    if (!settings_)
        settings_.emplace();
    return *settings_;
}

void TForm8::PrepareToShow()
{
    if (!sizeRead_) {
        sizeRead_ = true;
        try {
            const QSize stored(Settings().ReadInt("Validator", "WindowWidth", 0),
                               Settings().ReadInt("Validator", "WindowHeight", 0));
            if (stored.width() > 0 && stored.height() > 0)
                resize(stored.expandedTo(kMinimumSize).boundedTo(QSize(10000, 10000)));
        } catch (const std::exception&) {
            // An unreadable settings file leaves the designed size.
        }
        savedSize_ = size();
    }
    QWidget* main = parentWidget() ? parentWidget()->window() : nullptr;
    if (!main)
        return;
    const QScreen* screen = main->screen();
    const QRect available = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), QSize(10000, 10000));
    const QSize frame = size() + (frameGeometry().size() - geometry().size());
    move(PlaceBeside(main->frameGeometry(), frame, available).topLeft());
}

void TForm8::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    SaveSize();
}

void TForm8::SaveSize()
{
    if (!sizeRead_ || size() == savedSize_)
        return;
    try {
        Settings().WriteInt("Validator", "WindowWidth", width());
        Settings().WriteInt("Validator", "WindowHeight", height());
        savedSize_ = size();
    } catch (const std::exception&) {
        // The size is a convenience: an unwritable settings file costs only it.
    }
}

bool TForm8::Validate(TVeskMemoFile* editor)
{
    if (!editor || engine_.Running())
        return false;
    lastEditor_ = editor;
    TEditorValidatorDocument document(editor);
    Results results(*this, editor);
    return engine_.Validator(document, results);
}

void TForm8::ShowValidateError(TVeskMemo* editor, int k)
{
    const int count = ListBox1->count();
    if (!editor || count == 0 || k < 0 || k >= count)
        return;
    if (ListBox1->item(0)->text() == QLatin1String(kNoErrorsFound))
        return;
    const QString entry = ListBox1->item(k)->text();
    const qsizetype colon = entry.indexOf(QLatin1Char(':'));
    bool ok = false;
    const int line = colon < 0 ? 0 : entry.left(colon).toInt(&ok);
    if (!ok)
        return;
    editor->GotoLine(line - 1);
    const std::optional<std::string> text = editor->LineText(std::max(line - 1, 0));
    editor->SetSelLength(text ? std::int32_t(CountUtf8Chars(*text)) : 0);
    editor->ScrollInView();
    editor->setFocus();
}

void TForm8::ListBox1DblClick()
{
    TVeskMemoFile* editor = CurrentEditor ? CurrentEditor() : lastEditor_.data();
    ShowValidateError(editor, ListBox1->currentRow());
}

void TForm8::Button1Click()
{
    if (OnHelp)
        OnHelp(kHelpTopic);
}

} // namespace vesk
