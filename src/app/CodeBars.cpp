// The code bars: cells from the code lists, and inserting codes.
#include "app/CodeBars.h"

#include "editor/TextEncoding.h"

#include <QHeaderView>
#include <QTableWidget>

namespace vesk {

std::vector<TCodeBarRow> CodeBarCells(const QString& title, const std::vector<CodeItem>& items)
{
    std::vector<TCodeBarRow> rows(1);
    rows[0][0] = title;
    std::size_t row = 0;
    int column = 1;
    for (const CodeItem& item : items) {
        if (item.check != kCodeChecked)
            continue;
        rows[row][std::size_t(column)] = item.code;
        if (column < kCodeBarColumns - 1) {
            ++column;
        } else {
            rows.emplace_back();
            ++row;
            column = 0;
        }
    }
    return rows;
}

void FillCodeBar(QTableWidget& grid, const QString& title, const std::vector<CodeItem>& items)
{
    const std::vector<TCodeBarRow> rows = CodeBarCells(title, items);
    grid.clearContents();
    grid.setColumnCount(kCodeBarColumns);
    grid.setRowCount(int(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < kCodeBarColumns; ++c) {
            auto* cell = new QTableWidgetItem(rows[r][std::size_t(c)]);
            cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            grid.setItem(int(r), c, cell);
        }
    }
}

QString EndCodeOf(const QString& code)
{
    if (code.isEmpty())
        return code;
    return code.left(1) + QLatin1Char('/') + code.mid(1);
}

void InsertStartEndCode(TVeskMemoCore& editor, const QString& code)
{
    if (code.isEmpty())
        return;
    const std::int32_t caret = editor.SelStart();
    const std::int32_t a = std::min(caret, caret + editor.SelLength());
    const std::int32_t b = std::max(caret, caret + editor.SelLength());
    const std::string start = code.toStdString();
    editor.Select(a, a);
    editor.ReplaceSelection(start);
    const std::int32_t after = b + std::int32_t(CountUtf8Chars(start));
    editor.Select(after, after);
    editor.ReplaceSelection(EndCodeOf(code).toStdString());
}

void InsertSingleCode(TVeskMemoCore& editor, const QString& code)
{
    if (!code.isEmpty())
        editor.ReplaceSelection(code.toStdString());
}

TCodeBar::TCodeBar(const QString& name, const QString& title, QWidget* parent)
    : QTableWidget(1, kCodeBarColumns, parent), title_(title)
{
    setObjectName(name);
    setFixedHeight(36);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFocusPolicy(Qt::NoFocus);  // a bar, like the tool bar: the editor keeps the keys
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(14);
    // Eight columns share the bar's width, whatever the window's size.
    horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    connect(this, &QTableWidget::cellDoubleClicked, this, &TCodeBar::CodeDblClick);
}

void TCodeBar::CodeDblClick(int row, int column)
{
    const QTableWidgetItem* cell = item(row, column);
    if ((row == 0 && column == 0) || !cell || cell->text().isEmpty())
        return;  // the title cell is a label, not a code
    if (OnCode)
        OnCode(cell->text());
}

} // namespace vesk
