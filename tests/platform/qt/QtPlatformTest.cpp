#include "platform/qt/QtPlatform.h"

#include "TempFolder.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

#include <memory>
#include <new>

TEST(QtPlatform, FileFilterBecomesQtFilter)
{
    EXPECT_EQ(QtPlatform::qtFilter("Text Files  (*.txt; *.csv)|*.txt; *.csv").toStdString(),
              "Text Files  (*.txt *.csv)");
}

TEST(QtPlatform, TheExchangeDialogsShowTheFilterCaptionAsWrittenAndListBothKinds)
{
    for (bool save : {true, false}) {
        std::unique_ptr<QFileDialog> dialog(
            QtPlatform::createFileDialog(save, "Text Files  (*.txt; *.csv)|*.txt; *.csv", nullptr));
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(types, nullptr);
        EXPECT_EQ(types->count(), 1);
        EXPECT_EQ(types->currentText().toStdString(), "Text Files  (*.txt; *.csv)");
        EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
        // The patterns the dialog's file list filters by: both kinds, and nothing else.
        auto* files = dialog->findChild<QFileSystemModel*>();
        ASSERT_NE(files, nullptr);
        EXPECT_EQ(files->nameFilters(), (QStringList{"*.txt", "*.csv"}));
    }
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

// Background work runs on a thread of its own, and its end on this thread through the event loop; an exception
// ends the work only.
TEST(QtPlatform, BackgroundWorkEndsOnTheWindowsThreadAlsoAfterAnException)
{
    TempFolder data;
    QtPlatform platform(QString::fromStdString(data.str()));
    struct Job
    {
        bool throws;
        bool otherThread = false, doneHere = false, filled = false;
    };
    Job jobs[] = {{false}, {true}};
    for (Job& job : jobs) {
        platform.runInBackground(
            [&job, here = QThread::currentThread()] {
                job.otherThread = QThread::currentThread() != here;
                if (job.throws)
                    throw std::bad_alloc();
                job.filled = true;
            },
            [&job, here = QThread::currentThread()] { job.doneHere = QThread::currentThread() == here; });
        EXPECT_FALSE(job.doneHere); // not before the event loop runs
    }
    for (const Job& job : jobs) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return job.doneHere; }, 5000)) << job.throws;
        EXPECT_TRUE(job.otherThread);
        EXPECT_EQ(job.filled, !job.throws);
    }
}
