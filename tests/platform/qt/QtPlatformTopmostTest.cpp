#include "platform/qt/QtPlatform.h"

#include <QDir>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// A small window whose natural size comes from its content.
struct SmallWindow
{
    QWidget window;
    SmallWindow()
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(new QLabel(QStringLiteral("content")));
    }
};

QString lockFolder()
{
    return QDir::temp().filePath(QStringLiteral("coffernote-topmost-test"));
}

} // namespace

TEST(QtPlatformTopmost, AShownWindowKeepsItsPlaceAndSize)
{
    QtPlatform platform(lockFolder());
    SmallWindow w;
    w.window.setGeometry(40, 50, 210, 120);
    w.window.show();
    const QRect before = w.window.geometry();

    EXPECT_TRUE(platform.setWindowTopmost(1, &w.window));
    EXPECT_TRUE(w.window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(w.window.isVisible());
    EXPECT_EQ(w.window.geometry(), before);

    EXPECT_TRUE(platform.setWindowTopmost(0, &w.window));
    EXPECT_FALSE(w.window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(w.window.isVisible());
    EXPECT_EQ(w.window.geometry(), before);
}

TEST(QtPlatformTopmost, AWindowNotShownYetStillTakesItsNaturalSize)
{
    QtPlatform platform(lockFolder());
    SmallWindow placed;
    SmallWindow plain;
    EXPECT_TRUE(platform.setWindowTopmost(1, &placed.window));
    EXPECT_FALSE(placed.window.isVisible());
    placed.window.show();
    plain.window.show();
    EXPECT_TRUE(placed.window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(placed.window.size(), plain.window.size());
}

TEST(QtPlatformTopmost, OtherModesDoNothing)
{
    QtPlatform platform(lockFolder());
    SmallWindow w;
    for (int mode : {-1, 2, 3, 32767}) {
        EXPECT_FALSE(platform.setWindowTopmost(mode, &w.window)) << mode;
        EXPECT_FALSE(w.window.windowFlags().testFlag(Qt::WindowStaysOnTopHint)) << mode;
    }
    EXPECT_FALSE(platform.setWindowTopmost(1, nullptr));
}
