// The date updater: finds dates written with slashes one by one, selects
// each and asks whether to replace it with today's date.
#pragma once

#include "editor/VeskMemoCore.h"

#include <QDate>
#include <QString>

#include <functional>

namespace vesk {

inline constexpr char kReplaceDateText[] =
    "The highlighted date was found.\r\rDo you want to replace it with today's date?\r\r"
    "Press No to find next date, Cancel to quit.";
inline constexpr char kReplaceDateCaption[] = "Replace Highlighted Date?";
inline constexpr char kNoMoreDatesText[] = "No more dates found.";
inline constexpr char kNoMoreDatesCaption[] = "Date Not Found";

enum class TDateAnswer { Yes, No, Cancel };

// The program's short date: "mm/dd/yyyy".
QString ShortDate(const QDate& date);

struct TDateUpdaterHooks {
    // The date is selected: replace it (Yes), look further (No) or stop (Cancel).
    std::function<TDateAnswer()> askReplace;
    // The search ran off the end (not called after Cancel).
    std::function<void()> noMoreDates;
    // Bring the caret into view (a date just selected, or the restored caret).
    std::function<void()> scrollIntoView;
};

// Walks the editor's text from the start. A slash may start a date when a
// digit stands before it and after it one or two digits, a slash and a
// digit follow; the run of digits and slashes around it is offered when it
// does not start the document, has at most two characters before the first
// slash and at most nine after it, and is at least five long. The caret and
// selection are put back at the end however the run ends.
void UpdateDates(TVeskMemoCore& editor, const QDate& today, const TDateUpdaterHooks& hooks);

} // namespace vesk
