#pragma once

#include <QRect>
#include <QWidget>
#include <gtest/gtest.h>

#include <cmath>

// The windows turn twips into pixels with one unit across and one down, taken from the font in use; the window's
// own size in pixels and in twips gives them. A control sits at its twips in that unit, to a pixel of rounding.
inline void expectAtTwips(const QWidget* window, QSize windowTwips, const QWidget* w, QRect twips)
{
    const double across = window->width() * 15.0 / windowTwips.width();
    const double down = window->height() * 15.0 / windowTwips.height();
    const QRect at(w->mapTo(window, QPoint(0, 0)), w->size());
    const QRect want(static_cast<int>(std::lround(twips.x() * across / 15)),
                     static_cast<int>(std::lround(twips.y() * down / 15)),
                     static_cast<int>(std::lround(twips.width() * across / 15)),
                     static_cast<int>(std::lround(twips.height() * down / 15)));
    EXPECT_LE(std::abs(at.left() - want.left()), 1) << qPrintable(w->objectName());
    EXPECT_LE(std::abs(at.top() - want.top()), 1) << qPrintable(w->objectName());
    EXPECT_LE(std::abs(at.width() - want.width()), 1) << qPrintable(w->objectName());
    EXPECT_LE(std::abs(at.height() - want.height()), 1) << qPrintable(w->objectName());
}
