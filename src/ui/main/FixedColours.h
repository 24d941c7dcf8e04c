#pragma once

#include <QColor>
#include <QString>

// The window's fixed background colours, each with a fixed dark text colour, so that a dark desktop theme's
// light text never lands on them. Disabled buttons write in a mid grey that still reads against silver and
// yellow but differs clearly from the black of an enabled caption.
namespace fixedcolours {

inline constexpr QRgb kText = 0x000000;
inline constexpr QRgb kDisabledText = 0x767676;
inline constexpr QRgb kSilver = 0xC0C0C0;      // the command and picture buttons
inline constexpr QRgb kLightYellow = 0xFFFFC0; // GO, and the mode label in Edit mode
inline constexpr QRgb kLightGreen = 0xC0FFC0;  // the mode label in Drag/Drop mode

inline QString hex(QRgb rgb)
{
    return QColor(rgb).name(QColor::HexRgb);
}

inline QString buttonSheet(QRgb background)
{
    return QStringLiteral("QPushButton { background-color: %1; color: %2; } QPushButton:disabled { color: %3; }")
        .arg(hex(background), hex(kText), hex(kDisabledText));
}

inline QString labelSheet(QRgb background)
{
    return QStringLiteral("QLabel { background-color: %1; color: %2; }").arg(hex(background), hex(kText));
}

} // namespace fixedcolours
