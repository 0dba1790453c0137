// The S/E codes bar and the single codes bar: filling them from the code
// lists and inserting a code into the editor.
#pragma once

#include "editor/VeskMemoCore.h"
#include "settings/CodeLists.h"

#include <QString>
#include <QTableWidget>

#include <array>
#include <functional>
#include <vector>

namespace vesk {

inline constexpr int kCodeBarColumns = 8;
using TCodeBarRow = std::array<QString, kCodeBarColumns>;

// The cells of a bar: the title in row 0, column 0; the checked items from
// column 1 on, row by row; after an item in the last column a new row starts
// (so a bar whose last item fills column 7 ends with an empty row).
std::vector<TCodeBarRow> CodeBarCells(const QString& title, const std::vector<CodeItem>& items);
// Puts the cells into a grid (8 columns, as many rows as needed).
void FillCodeBar(QTableWidget& grid, const QString& title, const std::vector<CodeItem>& items);

// The end code of a start code: its first character, "/", then the rest
// ("<B>" → "</B>"; attributes are copied along).
QString EndCodeOf(const QString& code);
// Wraps the selection (either direction) in the code and its end code; with
// no selection both are inserted at the caret. The caret ends after the end code.
void InsertStartEndCode(TVeskMemoCore& editor, const QString& code);
// Replaces the selection by the code (inserts it at the caret without one).
void InsertSingleCode(TVeskMemoCore& editor, const QString& code);

// One code bar: a grid of eight columns that never takes the keyboard focus
// and reports double clicks on its codes (the title cell is a label).
class TCodeBar : public QTableWidget {
    Q_OBJECT
public:
    TCodeBar(const QString& name, const QString& title, QWidget* parent = nullptr);
    void Fill(const std::vector<CodeItem>& items) { FillCodeBar(*this, title_, items); }
    // The double click (ListBox1DblClick/ListBox2DblClick): reports the code
    // at (row, column); nothing for the title cell or an empty cell.
    void CodeDblClick(int row, int column);
    std::function<void(const QString& code)> OnCode;

private:
    QString title_;
};

} // namespace vesk
