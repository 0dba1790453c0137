// The program's command line: which arguments are Qt's options and which name documents.
//
// Qt takes every argument that looks like one of its options ("-reverse",
// "-style fusion", …), so a document that happens to be called "-reverse"
// would mirror the window instead of opening. The arguments are therefore
// sorted before Qt sees them:
//   - "--" ends the options: everything after it is a document;
//   - an argument that names something existing in the file system (taken
//     relative to the current folder) is a document, whatever it looks like;
//   - any other argument that starts with "-" (and is not "-" alone) is left
//     to Qt, together with the value that follows the options that take one
//     ("-style fusion", "-platform offscreen"; not when written "-style=…");
//   - everything else is a document (a name that does not exist yet is the
//     opening command's to report).
// Documents keep the bytes the file system holds (FileNames.h).
#pragma once

#include <QStringList>

#include <vector>

namespace vesk {

struct TProgramArguments {
    // argv[0] and the arguments for Qt, in their order, followed by a null
    // pointer; the pointers are argv's own, so argv must outlive them.
    std::vector<char*> qtArguments;
    // The documents, in their order, as given (not made absolute).
    QStringList documents;

    // For QApplication(argc, argv): the count without the final null.
    int QtArgumentCount() const { return int(qtArguments.size()) - 1; }
};

TProgramArguments SortProgramArguments(int argc, char** argv);

} // namespace vesk
