#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

// Widget tests run on the offscreen platform, so the suite needs no display. COFFERNOTE_TEST_PLATFORM names
// another for the few checks that need a real window system (the X primary selection).
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    const char* platform = std::getenv("COFFERNOTE_TEST_PLATFORM");
    setenv("QT_QPA_PLATFORM", platform && *platform ? platform : "offscreen", 1);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
