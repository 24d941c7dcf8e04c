#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <vector>

// The windows are drawn in twips, measured for the classic dialog font (8.25 pt MS Sans Serif at 96 dpi:
// letters 6 pixels wide on average, lines 13 pixels high, 15 twips to the pixel). A Layout turns twips into
// pixels for the font in use, as dialog units do: the unit grows with the font's average letter width and
// line height, and further where a caption would not fit its control. Every control keeps its place relative
// to the others, and the classic font gives the classic pixels.
namespace twips {

inline constexpr double kClassicLetterWidth = 6.0;
inline constexpr double kClassicLineHeight = 13.0;
inline constexpr double kTwipsPerPixel = 15.0;

class Layout
{
public:
    explicit Layout(const QFont& font)
    {
        const QFontMetricsF fm(font);
        const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        across_ = std::max(1.0, fm.horizontalAdvance(letters) / letters.size() / kClassicLetterWidth);
        down_ = std::max(1.0, fm.height() / kClassicLineHeight);
    }

    // Widens the unit so that a control widthTwips wide holds `pixels`.
    void fit(int widthTwips, double pixels) { across_ = std::max(across_, pixels * kTwipsPerPixel / widthTwips); }

    int x(int t) const { return static_cast<int>(std::lround(t * across_ / kTwipsPerPixel)); }
    int y(int t) const { return static_cast<int>(std::lround(t * down_ / kTwipsPerPixel)); }
    QSize size(int width, int height) const { return {x(width), y(height)}; }

    // Left and right edges are placed on their own, so that neighbours keep their gaps however the unit rounds.
    void place(QWidget* w, int left, int top, int width, int height) const
    {
        w->setGeometry(x(left), y(top), x(left + width) - x(left), y(top + height) - y(top));
    }

    double across() const { return across_; }

private:
    double across_ = 1.0;
    double down_ = 1.0;
};

// The width a caption needs in font f, with room for the control's own margins.
inline double captionWidth(const QFont& f, const QString& caption, double margins)
{
    QString shown = caption;
    shown.replace(QStringLiteral("&&"), QStringLiteral("\x01"))
        .remove(QLatin1Char('&'))
        .replace(QChar(1), QLatin1Char('&'));
    return QFontMetricsF(f).horizontalAdvance(shown) + margins + 1.0;
}

// Room a control needs around its caption.
inline constexpr double kLabelMargins = 2;
inline constexpr double kButtonMargins = 16;

// A control's place in twips and the caption that must fit across it (none for a box).
struct Placement
{
    QWidget* w;
    int left, top, width, height;
    QString caption = {};
    double margins = kLabelMargins;
};

// Widens the unit until every caption fits, then places every control.
inline void placeAll(Layout& unit, const std::vector<Placement>& places)
{
    for (const Placement& p : places)
        if (!p.caption.isEmpty())
            unit.fit(p.width, captionWidth(p.w->font(), p.caption, p.margins));
    for (const Placement& p : places)
        unit.place(p.w, p.left, p.top, p.width, p.height);
}

// The labels' font: the desktop's font and size, bold.
inline QFont labelFont(const QFont& base)
{
    QFont f = base;
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
