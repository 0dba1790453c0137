// The date updater's walk through the text.
#include "tools/DateUpdater.h"

namespace vesk {
namespace {

bool IsDigit(char32_t c)
{
    return c >= U'0' && c <= U'9';
}

bool InDateRun(char32_t c)
{
    return IsDigit(c) || c == U'/';
}

} // namespace

QString ShortDate(const QDate& date)
{
    return date.toString(QStringLiteral("MM/dd/yyyy"));
}

void UpdateDates(TVeskMemoCore& editor, const QDate& today, const TDateUpdaterHooks& hooks)
{
    // SelStart is the caret; the anchor lies SelLength away from it.
    const std::int32_t savedCaret = editor.SelStart();
    const std::int32_t savedAnchor = savedCaret + editor.SelLength();
    // CharAt gives 0 outside the text, which is neither a digit nor a slash.
    auto at = [&editor](std::int32_t i) { return editor.CharAt(i); };
    auto restore = [&]() {
        editor.Select(savedAnchor, savedCaret);
        if (hooks.scrollIntoView)
            hooks.scrollIntoView();
    };

    editor.Select(0, 0);
    while (editor.FindTxt("/", true, false, false)) {
        const std::int32_t s = editor.SelStart() - 1;  // the caret stands just after the slash
        const std::int32_t n = s + 1;
        editor.Select(n, n);
        const bool slashStartsDate =
            IsDigit(at(n)) &&
            ((IsDigit(at(n + 1)) && at(n + 2) == U'/') || (at(n + 1) == U'/' && IsDigit(at(n + 2)))) &&
            IsDigit(at(n + 3)) && IsDigit(at(s - 1));
        if (!slashStartsDate)
            continue;  // search on from just after this slash

        std::int32_t first = n;
        while (first > 0 && InDateRun(at(first - 1)))
            --first;
        std::int32_t end = n;
        const std::int32_t length = editor.CharCount();
        while (end < length && InDateRun(at(end)))
            ++end;
        const bool isDate = first > 0 && first >= s - 2 && end - first >= 5 && end <= s + 10;
        if (isDate) {
            editor.Select(first, end);
            if (hooks.scrollIntoView)
                hooks.scrollIntoView();
            const TDateAnswer answer = hooks.askReplace ? hooks.askReplace() : TDateAnswer::Cancel;
            if (answer == TDateAnswer::Cancel) {
                restore();
                return;
            }
            if (answer == TDateAnswer::Yes)
                editor.ReplaceSelection(ShortDate(today).toStdString());
        }
        // On past this date (a replacement is longer than the run's first
        // six characters, so the search never meets it again).
        const std::int32_t next = std::min(s + 6, editor.CharCount());
        editor.Select(next, next);
    }
    if (hooks.noMoreDates)
        hooks.noMoreDates();
    restore();
}

} // namespace vesk
