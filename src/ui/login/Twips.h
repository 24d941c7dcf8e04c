#pragma once

#include <QFont>
#include <QLineEdit>
#include <QWidget>

// The login windows are laid out in twips; 15 twips are one pixel at 96 dpi (Qt scales logical pixels).
namespace twips {

inline int px(int twips)
{
    return (twips + 7) / 15;
}

inline void place(QWidget* w, int left, int top, int width, int height)
{
    w->setGeometry(px(left), px(top), px(width), px(height));
}

// A label keeps its place but grows to show its whole caption where the desktop's font is wider than the
// classic one the twips were measured for.
inline void fitLabel(QWidget* label)
{
    if (label->sizeHint().width() > label->width())
        label->resize(label->sizeHint().width(), label->height());
}

// The labels' font: 8.25 points, bold, the classic dialog face where the desktop has it.
inline QFont labelFont(const QFont& base)
{
    QFont f = base;
    f.setFamilies({QStringLiteral("MS Sans Serif"), base.family()});
    f.setPointSizeF(8.25);
    f.setBold(true);
    return f;
}

// A password box shows one "*" for each character, whatever the desktop style's own mask character is.
inline void maskWithStars(QLineEdit* box)
{
    box->setEchoMode(QLineEdit::Password);
    box->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
}

} // namespace twips
