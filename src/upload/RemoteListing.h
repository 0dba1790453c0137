// The remote file list: parsing a directory listing received from the server, and its order.
//
// Servers send their listing in the layout of "ls -l": a line per entry
// whose first character tells a file ("-"), a directory ("d") or a symbolic
// link ("l"), and whose name fills the end of the line. Names may hold
// blanks, so the name column is fixed once, from the first line that is
// long enough, and every later line is cut at that same column.
//
// Names come from the server and are not trusted: LocalName() is what a
// download would create in the shown local folder, and IsSafeLocalName()
// refuses every name that could land anywhere else or fool the eye.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace vesk {

// The kinds are the picture indexes of the remote list.
enum class TRemoteKind { Directory = 0, File = 1, Link = 2 };

// Lines shorter than this are not entries ("total 12", a bare name).
inline constexpr int kListingMinLineLength = 55;

struct TRemoteEntry {
    // The text from the name column to the end of the line: the name, or
    // for a link "name -> target".
    QString text;
    TRemoteKind kind = TRemoteKind::Directory;

    // What the list shows: text with control characters escaped.
    QString Caption() const;
    // The name a download or a change of directory uses: for a link the
    // text after "->" and the blank that follows it, otherwise the text.
    QString LocalName() const;
};

// The listing's bytes as text, line by line: a line that is valid UTF-8 is
// read as UTF-8, any other as Latin-1, so servers of either kind show their
// accented names. Lines end at LF; a CR before it is dropped.
QStringList ListingLines(const QByteArray& listing);

// The column where names start, fixed by the first line of at least
// kListingMinLineLength characters: from the character two before "->"
// (or from the last character) leftwards to the first blank or tab, plus
// one. A line with no blank there yields 0 (the whole line is the name).
// -1 when no line is long enough.
int NameColumn(const QStringList& lines);

// Every entry of the listing, sorted with FTPCompare. A line on which the
// name column does not start a word (a server that does not align its
// size field) takes its name from after its eighth field. Lines shorter than
// kListingMinLineLength, and the names "." and "..", are skipped; so is a
// line that ends before the name column. A line's first character sets
// the kind ("-" file, "l" link, anything else directory). Any input is
// accepted; an empty listing, or one without a long line, gives no entries.
std::vector<TRemoteEntry> ParseListing(const QByteArray& listing);

// The order of the remote list: directories and links before files, then
// the texts upper-cased and compared code point by code point (equal texts
// compare equal). Negative, 0 or positive, like strcmp.
int FTPCompare(const TRemoteEntry& a, const TRemoteEntry& b);

// Whether a name from the server may become a file or folder name in the
// shown local folder: not empty, not "." or "..", no "/", and no control
// character (C0, DEL or C1).
bool IsSafeLocalName(const QString& name);

// The name with each control character written as \xNN, for lists and
// messages.
QString EscapeName(const QString& name);

} // namespace vesk
