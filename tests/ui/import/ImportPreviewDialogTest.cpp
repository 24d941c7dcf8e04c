// The preview of an import from another program, as the desktop shows it.
#include "ui/import/ImportPreviewDialog.h"

#include "platform/qt/QtPlatform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

ImportPreview Sample(int existing)
{
    return {"Firefox export: 2 accounts.\n1 account has a name that already exists: bank.example.",
            existing,
            {{"bank.example", "https://bank.example", "me"}, {"Caf\xC3\xA9", "", "ann"}}};
}

// Answers the preview once it is open: keys typed into it, in order.
void AnswerWithKeys(std::vector<std::pair<int, Qt::KeyboardModifiers>> keys)
{
    QTimer::singleShot(50, [keys] {
        auto* dialog = qobject_cast<ImportPreviewDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            ADD_FAILURE() << "no preview open";
            return;
        }
        // Access keys reach the active window only.
        dialog->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
        for (const auto& [key, modifiers] : keys)
            QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, static_cast<Qt::Key>(key),
                            modifiers);
        // A button pressed by its access key clicks a moment later. Keys that did not answer the preview fail the
        // test instead of leaving it open.
        if (!QTest::qWaitFor([dialog] { return !dialog->isVisible(); }, 2000)) {
            ADD_FAILURE() << "the keys left the preview open";
            dialog->reject();
        }
    });
}

} // namespace

TEST(ImportPreviewDialog, ShowsWhatWillHappenAndNamesEveryControl)
{
    ImportPreviewDialog dialog(Sample(1));
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Import from Another Program");
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("lblSummary"))->text().toStdString(),
              "Firefox export: 2 accounts.\n1 account has a name that already exists: bank.example.");
    auto* grid = dialog.findChild<QTableWidget*>(QStringLiteral("grdFirstAccounts"));
    ASSERT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->item(1, 0)->text(), QStringLiteral("Caf\u00E9"));
    EXPECT_EQ(grid->item(0, 2)->text(), QStringLiteral("me"));
    EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    const char* named[] = {"lblSummary",       "lblExisting",      "optNumber", "optSkip",
                           "lblFirstAccounts", "grdFirstAccounts", "cmdImport", "cmdCancel"};
    for (const char* name : named) {
        auto* w = dialog.findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(w, nullptr) << name;
        EXPECT_FALSE(w->accessibleName().isEmpty()) << name;
    }
    EXPECT_EQ(dialog.findChild<QWidget*>(QStringLiteral("optSkip"))->accessibleName().toStdString(), "Skip them");
    EXPECT_TRUE(dialog.findChild<QRadioButton*>(QStringLiteral("optNumber"))->isChecked());

    // Without names that exist there is nothing to choose.
    ImportPreviewDialog plain(Sample(0));
    EXPECT_EQ(plain.findChild<QRadioButton*>(QStringLiteral("optSkip")), nullptr);
}

TEST(ImportPreviewDialog, OverwritesTheUserIdsWhenItGoes)
{
    auto* dialog = new ImportPreviewDialog(Sample(0));
    auto* grid = dialog->findChild<QTableWidget*>(QStringLiteral("grdFirstAccounts"));
    const QString id = grid->item(1, 2)->text(); // shares the item's buffer
    const QString name = grid->item(1, 0)->text();
    delete dialog;
    EXPECT_EQ(id, QString(3, QChar(0)));
    EXPECT_EQ(name, QStringLiteral("Caf\u00E9")); // no secret
}

TEST(ImportPreviewDialog, AnswersFromTheKeyboardAndIsDismissedByTheLock)
{
    QtPlatform platform(QDir::temp().filePath(QStringLiteral("coffernote-preview-test")));
    platform.setImportPreviewWindow(&ImportPreviewDialog::create);

    AnswerWithKeys({{Qt::Key_Return, Qt::NoModifier}});
    EXPECT_EQ(platform.previewImport(Sample(1)), ImportChoice::AddNumbered);

    AnswerWithKeys({{Qt::Key_S, Qt::AltModifier}, {Qt::Key_I, Qt::AltModifier}});
    EXPECT_EQ(platform.previewImport(Sample(1)), ImportChoice::SkipExisting);

    AnswerWithKeys({{Qt::Key_Escape, Qt::NoModifier}});
    EXPECT_EQ(platform.previewImport(Sample(1)), ImportChoice::Cancel);

    QTimer::singleShot(50, [&platform] { platform.dismissPrompts(); });
    EXPECT_EQ(platform.previewImport(Sample(0)), ImportChoice::Cancel);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}
