// Every window at the desktop font sizes people use: each caption fits its control, and the fixed colours
// keep their text readable whatever the desktop's palette.
#include "MainWindowFixture.h"

#include "ui/login/frmChangeLogin.h"
#include "ui/login/frmLocked.h"
#include "ui/login/frmLogin.h"
#include "ui/main/FixedColours.h"
#include "ui/main/frmAbout.h"

#include <QApplication>
#include <QGroupBox>
#include <QPalette>

#include <cmath>

namespace {

// Captions as shown: "&" marks the access key and takes no room.
QString shown(QString caption)
{
    return caption.remove(QLatin1Char('&'));
}

int advance(const QWidget* w, const QString& text)
{
    return QFontMetrics(w->font()).horizontalAdvance(shown(text));
}

// Every label, button and frame title with text fits across its control with a little room to spare.
void expectCaptionsFit(QWidget* window, int pointSize)
{
    const QString where = window->objectName() + QStringLiteral(" at %1 pt").arg(pointSize);
    for (QLabel* l : window->findChildren<QLabel*>()) {
        if (!l->text().isEmpty() && l->isVisibleTo(window)) {
            EXPECT_LE(advance(l, l->text()) + 2, l->width()) << qPrintable(where + ": " + l->text());
        }
    }
    for (QPushButton* b : window->findChildren<QPushButton*>()) {
        if (!b->text().isEmpty() && b->isVisibleTo(window)) {
            EXPECT_LE(advance(b, b->text()) + 8, b->width()) << qPrintable(where + ": " + b->text());
        }
    }
    for (QGroupBox* g : window->findChildren<QGroupBox*>())
        EXPECT_LE(advance(g, g->title()) + 8, g->width()) << qPrintable(where + ": " + g->title());
}

class WindowLayout : public MainWindowFixture, public ::testing::WithParamInterface<int>
{
protected:
    QFont saved = QApplication::font();
    void SetUp() override
    {
        QFont f = saved;
        f.setPointSize(GetParam());
        QApplication::setFont(f);
    }
    void TearDown() override { QApplication::setFont(saved); }
};

TEST_P(WindowLayout, NoCaptionIsWiderThanItsControl)
{
    openWindow();
    expectCaptionsFit(form.get(), GetParam());
    // The prompt shows whole in the account box, and the mode label holds either mode.
    QLineEdit* edit = combo()->lineEdit();
    EXPECT_LE(advance(edit, QString::fromLatin1(Form1::kPlaceholder)) + 5, edit->width());
    QLabel* mode = find<QLabel>("lblMode");
    EXPECT_LE(advance(mode, QStringLiteral(" Drag/Drop Mode")) + 2, mode->width());
    // A fixed size: nothing to resize or maximise into an empty area.
    EXPECT_EQ(form->minimumSize(), form->maximumSize());

    frmLogin login(
        session, [] {}, [](ExitStatus) {});
    login.show();
    expectCaptionsFit(&login, GetParam());
    // The labels stay bold at the desktop's size.
    QLabel* userName = login.findChild<QLabel*>(QStringLiteral("lblLabels"));
    EXPECT_TRUE(userName->font().bold());
    EXPECT_EQ(userName->font().pointSize(), GetParam());

    frmChangeLogin settings(session, form.get(), [] { return Result::ok(); });
    settings.show();
    expectCaptionsFit(&settings, GetParam());
    frmLocked locked(session);
    locked.show();
    expectCaptionsFit(&locked, GetParam());
    frmAbout about({});
    about.Form_Load();
    about.show();
    expectCaptionsFit(&about, GetParam());
}

INSTANTIATE_TEST_SUITE_P(DesktopFontSizes, WindowLayout, ::testing::Values(8, 10, 12));

// WCAG relative luminance and contrast ratio.
double luminance(QColor c)
{
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double contrast(QColor a, QColor b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

class FixedColours : public MainWindowFixture, public ::testing::WithParamInterface<bool>
{
protected:
    QPalette saved = QApplication::palette();
    void SetUp() override
    {
        if (GetParam()) { // a dark theme: light text on dark grounds
            QPalette dark;
            for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
                dark.setColor(role, QColor(0x30, 0x30, 0x30));
            for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
                dark.setColor(role, QColor(0xF0, 0xF0, 0xF0));
            QApplication::setPalette(dark);
        }
    }
    void TearDown() override { QApplication::setPalette(saved); }

    // The colours a control is painted in, as its style sheet left them in its palette.
    static void expectReadable(QWidget* w, QPalette::ColorRole text, QPalette::ColorRole ground, bool button = true)
    {
        w->ensurePolished();
        const QPalette p = w->palette();
        const QColor on = p.color(QPalette::Active, text), off = p.color(QPalette::Disabled, text);
        const QColor back = p.color(QPalette::Active, ground);
        EXPECT_GE(contrast(on, back), 4.5) << qPrintable(w->objectName());
        if (!button)
            return;
        // Disabled: still legible, and clearly not the enabled caption.
        EXPECT_GE(contrast(off, back), 2.0) << qPrintable(w->objectName());
        EXPECT_GE(contrast(on, off), 3.0) << qPrintable(w->objectName());
    }
};

TEST_P(FixedColours, EveryFixedGroundCarriesDarkTextInLightAndDarkThemes)
{
    openWindow();
    for (const char* name : {"cmdGo", "cmdChange", "cmdDelete", "Add_Account", "cmdCancel", "cmdCopy1", "cmdCopy2",
                             "cmdCopy3", "cmdCopy4"})
        expectReadable(button(name), QPalette::ButtonText, QPalette::Button);
    auto* mode = find<QLabel>("lblMode");
    expectReadable(mode, QPalette::WindowText, QPalette::Window, false); // Drag/Drop mode, green
    menuItem("LoginSelect")->trigger();
    ASSERT_EQ(mode->text(), QStringLiteral(" Edit Mode"));
    expectReadable(mode, QPalette::WindowText, QPalette::Window, false); // Edit mode, yellow
}

INSTANTIATE_TEST_SUITE_P(Themes, FixedColours, ::testing::Values(false, true));

} // namespace
