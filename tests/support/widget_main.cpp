#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

// Widget tests run on the offscreen platform, so the suite needs no display.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
