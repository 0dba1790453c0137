// The JavaScript folder window: the tree of scripts, Run, Insert, Delete and the site links.
#include "tools/ScriptFolderForm.h"

#include "platform/HelpTopics.h"
#include "tools/ScriptFolder.h"

#include <QApplication>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <set>

namespace vesk {
namespace {

constexpr int kCategoryRole = Qt::UserRole;
constexpr int kNameRole = Qt::UserRole + 1;

const char* const kRootCaption = "Scripts";

} // namespace

TForm7::TForm7(QWidget* parent) : QDialog(parent), root_(ScriptFolder())
{
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("JavaScript Folder"));
    setModal(true);

    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* label1 = new QLabel(this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setWordWrap(true);
    label1->setTextFormat(Qt::PlainText);
    label1->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* label2 = new QLabel(QStringLiteral("The tree to the right shows what is in those folders.  Press the Run "
                                             "button to see a script in action and press the Insert button to put "
                                             "the code on the current page."),
                              this);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setWordWrap(true);
    left->addWidget(label1);
    left->addWidget(label2);

    auto* sites = new QGroupBox(QStringLiteral("Sites with JavaScript code"), this);
    sites->setObjectName(QStringLiteral("GroupBox1"));
    sites->setToolTip(QStringLiteral("Click on a link below to go to the JavaScript site."));
    auto* links = new QVBoxLayout(sites);
    int index = 0;
    for (const TScriptSite& site : ScriptSites()) {
        auto* link = new QLabel(QStringLiteral("<a href=\"%1\">%2</a>")
                                    .arg(QString::fromLatin1(site.address).toHtmlEscaped(),
                                         QString::fromUtf8(site.caption).toHtmlEscaped()),
                                sites);
        link->setObjectName(QStringLiteral("LinkLabel%1").arg(index + 1));
        link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
        link->setToolTip(QString::fromLatin1(site.address));
        connect(link, &QLabel::linkActivated, this, [this, index]() { LinkLabelClick(index); });
        links->addWidget(link);
        ++index;
    }
    left->addWidget(sites);
    left->addStretch(1);

    auto* right = new QVBoxLayout;
    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("TreeView2"));
    tree_->setHeaderHidden(true);
    tree_->setColumnCount(1);
    tree_->setMinimumSize(260, 260);
    right->addWidget(tree_, 1);
    auto* actions = new QHBoxLayout;
    const auto button = [this](const char* name, const char* caption) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    QPushButton* runButton = button("Button30", "&Run");
    QPushButton* insertButton = button("Button31", "&Insert");
    QPushButton* deleteButton = button("Button32", "&Delete");
    actions->addWidget(runButton);
    actions->addWidget(insertButton);
    actions->addWidget(deleteButton);
    right->addLayout(actions);

    columns->addLayout(left, 1);
    columns->addLayout(right, 1);

    auto* bottom = new QHBoxLayout;
    QPushButton* help = button("Button34", "&Help");
    QPushButton* close = button("Button33", "&Close");
    close->setDefault(true);
    bottom->addWidget(help);
    bottom->addStretch(1);
    bottom->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addLayout(bottom);

    connect(runButton, &QPushButton::clicked, this, [this]() { Button30Click(); });
    connect(insertButton, &QPushButton::clicked, this, [this]() { Button31Click(); });
    connect(deleteButton, &QPushButton::clicked, this, [this]() { Button32Click(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);  // Escape closes it too
    connect(help, &QPushButton::clicked, this, [this]() { if (OnHelp) OnHelp(kHelpScriptFolder); });

    resize(660, 440);
}

void TForm7::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    BuildTree();
}

void TForm7::changeEvent(QEvent* e)
{
    QDialog::changeEvent(e);
    // Back from the browser or a file manager: show what the folders hold now.
    if (e->type() == QEvent::ActivationChange && isVisible() && isActiveWindow())
        BuildTree();
}

void TForm7::BuildTree()
{
    if (auto* label1 = findChild<QLabel*>(QStringLiteral("Label1")))
        label1->setText(QStringLiteral("Go to the JavaScript sites below and download scripts to the category "
                                       "folders of ") + root_ + QStringLiteral("."));
    EnsureCategoryFolders(root_);

    // What the user was looking at stays in view.
    std::optional<TSelected> selected = SelectedScript();
    QString selectedCategory;
    if (QTreeWidgetItem* current = tree_->currentItem(); current && !selected)
        selectedCategory = current->data(0, kCategoryRole).toString();
    std::set<QString> expanded;
    if (QTreeWidgetItem* oldRoot = tree_->topLevelItem(0))
        for (int i = 0; i < oldRoot->childCount(); ++i)
            if (oldRoot->child(i)->isExpanded())
                expanded.insert(oldRoot->child(i)->data(0, kCategoryRole).toString());

    tree_->clear();
    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon fileIcon = style()->standardIcon(QStyle::SP_FileIcon);
    auto* root = new QTreeWidgetItem(tree_, {QString::fromLatin1(kRootCaption)});
    root->setIcon(0, folderIcon);
    for (const char* name : kScriptCategories) {
        const QString category = QString::fromLatin1(name);
        auto* node = new QTreeWidgetItem(root, {category});
        node->setIcon(0, folderIcon);
        node->setData(0, kCategoryRole, category);
        for (const QString& script : ListScripts(root_, category)) {
            auto* leaf = new QTreeWidgetItem(node, {script});
            leaf->setIcon(0, fileIcon);
            leaf->setData(0, kCategoryRole, category);
            leaf->setData(0, kNameRole, script);
        }
        node->setExpanded(expanded.count(category) > 0);
    }
    root->setExpanded(true);
    if (selected)
        Select(selected->category, selected->name);
    else if (!selectedCategory.isEmpty())
        Select(selectedCategory);
}

bool TForm7::Select(const QString& category, const QString& name)
{
    QTreeWidgetItem* root = tree_->topLevelItem(0);
    if (!root)
        return false;
    if (category.isEmpty()) {
        tree_->setCurrentItem(root);
        return true;
    }
    for (int i = 0; i < root->childCount(); ++i) {
        QTreeWidgetItem* node = root->child(i);
        if (node->data(0, kCategoryRole).toString() != category)
            continue;
        if (name.isEmpty()) {
            tree_->setCurrentItem(node);
            return true;
        }
        for (int j = 0; j < node->childCount(); ++j) {
            if (node->child(j)->data(0, kNameRole).toString() == name) {
                node->setExpanded(true);
                tree_->setCurrentItem(node->child(j));
                return true;
            }
        }
    }
    return false;
}

std::optional<TForm7::TSelected> TForm7::SelectedScript() const
{
    const QTreeWidgetItem* item = tree_->currentItem();
    // Scripts are the third level: root, category, file.
    if (!item || !item->parent() || !item->parent()->parent())
        return std::nullopt;
    return TSelected{item->data(0, kCategoryRole).toString(), item->data(0, kNameRole).toString()};
}

void TForm7::Button30Click()
{
    const std::optional<TSelected> script = SelectedScript();
    if (!script)
        return;
    const QString command = browserCommand ? browserCommand() : QString();
    if (command.trimmed().isEmpty()) {
        if (showError)
            showError(QStringLiteral("Browser 1 must be specified in Preferences"), QStringLiteral("Error"));
        return;
    }
    const TScriptView view = ScriptToView(root_, script->category, script->name);
    if (!view.problem.isEmpty()) {
        if (showError)
            showError(view.problem, QStringLiteral("Error"));
        return;
    }
    if (run)
        run(command, false, view.path);
}

void TForm7::Button31Click()
{
    const std::optional<TSelected> script = SelectedScript();
    if (script && insertFile)
        insertFile(ScriptPath(root_, script->category, script->name));
}

void TForm7::Button32Click()
{
    const std::optional<TSelected> script = SelectedScript();
    if (!script || !confirm ||
        !confirm(QStringLiteral("WARNING - This will delete the file from your hard drive.  Continue?"),
                 QStringLiteral("Delete File?")))
        return;
    if (const std::optional<QString> problem = DeleteScript(root_, script->category, script->name)) {
        if (showError)
            showError(*problem, QStringLiteral("Error"));
        return;
    }
    // The question may have let the tree be rebuilt: find the node again.
    if (Select(script->category, script->name))
        delete tree_->currentItem();
}

void TForm7::LinkLabelClick(int index)
{
    const auto sites = ScriptSites();
    if (index < 0 || std::size_t(index) >= sites.size() || !run)
        return;
    const QString address = QString::fromLatin1(sites[std::size_t(index)].address);
    const QString command = browserCommand ? browserCommand() : QString();
    if (command.trimmed().isEmpty())
        run(address, true, std::nullopt);
    else
        run(command, false, address);
}

} // namespace vesk
