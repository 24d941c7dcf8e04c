#include "platform/QtPlatform.h"

#include <QApplication>
#include <QClipboard>
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

TEST(QtPlatform, EndingClearsTextTheProgramCopiedAndReleasesTheLock)
{
    const QString folder = QDir::temp().filePath(QStringLiteral("coffernote-end-test"));
    QClipboard* clipboard = QApplication::clipboard();
    {
        // Text another program copied is left alone when this one never used the clipboard.
        QtPlatform platform(folder);
        clipboard->setText(QStringLiteral("someone else's"));
        platform.prepareEnd();
        EXPECT_EQ(clipboard->text(), QStringLiteral("someone else's"));
    }
    QtPlatform platform(folder);
    ASSERT_FALSE(platform.previousInstanceRunning());
    ASSERT_TRUE(platform.setClipboardText("copied password"));
    platform.prepareEnd();
    EXPECT_EQ(clipboard->text(), QString());
    QtPlatform next(folder);
    EXPECT_FALSE(next.previousInstanceRunning()); // a new start is not refused
}
