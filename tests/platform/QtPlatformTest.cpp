#include "platform/QtPlatform.h"

#include <QDir>
#include <gtest/gtest.h>

TEST(QtPlatform, FileFilterBecomesQtFilter)
{
    EXPECT_EQ(QtPlatform::qtFilter("Text Files  (*.txt; *.csv)|*.txt; *.csv").toStdString(),
              "Text Files  (*.txt *.csv)");
}

TEST(QtPlatform, LockIsPerProgramFolder)
{
    const QString a = QtPlatform::lockFilePath(QStringLiteral("/opt/a"));
    EXPECT_EQ(a, QtPlatform::lockFilePath(QStringLiteral("/opt/a/")));
    EXPECT_NE(a, QtPlatform::lockFilePath(QStringLiteral("/opt/b")));
    EXPECT_TRUE(a.startsWith(QDir::tempPath()));
}

TEST(QtPlatform, SecondCopyOnTheSameFolderIsRefused)
{
    const QString folder = QDir::temp().filePath(QStringLiteral("coffernote-lock-test"));
    QtPlatform first(folder);
    QtPlatform second(folder);
    EXPECT_FALSE(first.previousInstanceRunning());
    EXPECT_TRUE(second.previousInstanceRunning());
    QtPlatform other(folder + QStringLiteral("-elsewhere"));
    EXPECT_FALSE(other.previousInstanceRunning());
}
