// Where the spell dialog stands.
#include "spell/DialogPlacement.h"

#include <algorithm>

namespace vesk {

QRect KeepOnScreen(QRect r, const QRect& screen)
{
    if (screen.isEmpty())
        return r;
    if (r.right() > screen.right())
        r.moveRight(screen.right());
    if (r.bottom() > screen.bottom())
        r.moveBottom(screen.bottom());
    if (r.left() < screen.left())
        r.moveLeft(screen.left());
    if (r.top() < screen.top())
        r.moveTop(screen.top());
    return r;
}

QRect FirstDialogPlace(const QRect& dialog, const QRect& editor, const QRect& screen)
{
    if (editor.isEmpty() || screen.isEmpty())
        return dialog;
    const int top = std::clamp(editor.top(), screen.top(), std::max(screen.top(), screen.bottom() - dialog.height() + 1));
    const int left = std::clamp(editor.left(), screen.left(), std::max(screen.left(), screen.right() - dialog.width() + 1));
    const QRect candidates[] = {
        QRect(QPoint(editor.right() + 1, top), dialog.size()),
        QRect(QPoint(editor.left() - dialog.width(), top), dialog.size()),
        QRect(QPoint(left, editor.bottom() + 1), dialog.size()),
        QRect(QPoint(left, editor.top() - dialog.height()), dialog.size()),
    };
    for (const QRect& c : candidates)
        if (screen.contains(c))
            return c;
    return dialog;
}

QRect AvoidWord(const QRect& dialog, const QRect& word, const QRect& screen)
{
    if (word.isEmpty() || !dialog.intersects(word))
        return KeepOnScreen(dialog, screen);
    QRect r = dialog;
    r.moveTopLeft(QPoint(word.left(), word.bottom() + 1 + 2));
    if (!screen.isEmpty() && r.bottom() > screen.bottom())
        r.moveBottom(word.top() - 1 - 2);
    return KeepOnScreen(r, screen);
}

} // namespace vesk
