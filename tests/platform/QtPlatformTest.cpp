#include "platform/QtPlatform.h"

#include "TempFolder.h"

#include <QApplication>
#include <QClipboard>
#include <gtest/gtest.h>

TEST(QtPlatform, FileFilterBecomesQtFilter)
{
    EXPECT_EQ(QtPlatform::qtFilter("Text Files  (*.txt; *.csv)|*.txt; *.csv").toStdString(),
              "Text Files  (*.txt *.csv)");
}

TEST(QtPlatform, EndingClearsTextTheProgramCopiedAndReleasesTheLock)
{
    TempFolder data;
    const QString folder = QString::fromStdString(data.str());
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
