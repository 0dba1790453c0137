// Placed: one line for a control that a window places by hand, with the
// object name and caption its design gives it.
//
//   auto* ok = Placed<QPushButton>(this, "Button1", "&OK", {8, 200, 75, 25});
//
// The caption goes where the control shows one (setText, or setTitle for a
// group box); controls without a caption ignore it.
#pragma once

#include <QRect>
#include <QString>
#include <QWidget>

namespace vesk {

template <class T>
T* Placed(QWidget* parent, const char* name, const QString& caption, const QRect& rect)
{
    auto* control = new T(parent);
    control->setObjectName(QString::fromLatin1(name));
    if constexpr (requires { control->setText(caption); })
        control->setText(caption);
    else if constexpr (requires { control->setTitle(caption); })
        control->setTitle(caption);
    control->setGeometry(rect);
    return control;
}

} // namespace vesk
