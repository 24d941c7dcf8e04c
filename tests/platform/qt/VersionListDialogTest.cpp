// The list of earlier versions, as the desktop shows it.
#include "platform/qt/VersionListDialog.h"
#include "platform/qt/QtPlatform.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct Versions : VersionList
{
    std::vector<std::string> rows() const override { return {"2026-12-08 19:15:32   2 accounts", "<b>old</b>"}; }
    std::string details(int row) override
    {
        asked.push_back(row);
        return "details of " + std::to_string(row);
    }
    std::vector<int> asked;
};

// Types keys into the list once it is open.
void AnswerWithKeys(std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>> keys)
{
    QTimer::singleShot(50, [keys] {
        auto* dialog = qobject_cast<VersionListDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            ADD_FAILURE() << "no version list open";
            return;
        }
        dialog->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
        for (const auto& [key, modifiers] : keys)
            QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, key, modifiers);
        if (!QTest::qWaitFor([dialog] { return !dialog->isVisible(); }, 2000)) {
            ADD_FAILURE() << "the keys left the list open";
            dialog->reject();
        }
    });
}

} // namespace

TEST(VersionListDialog, ShowsTheRowsAsPlainTextAndTheDetailsOfTheOneSelected)
{
    Versions versions;
    VersionListDialog dialog(versions);
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Restore an Earlier Version");
    auto* list = dialog.findChild<QListWidget*>(QStringLiteral("lstVersions"));
    auto* details = dialog.findChild<QPlainTextEdit*>(QStringLiteral("txtDetails"));
    ASSERT_TRUE(list && details);
    EXPECT_EQ(list->item(1)->text().toStdString(), "<b>old</b>");
    EXPECT_EQ(details->toPlainText().toStdString(), "details of 0");
    list->setCurrentRow(1);
    EXPECT_EQ(details->toPlainText().toStdString(), "details of 1");
    for (const char* name : {"lstVersions", "txtDetails", "cmdRestore", "cmdClose"})
        EXPECT_FALSE(dialog.findChild<QWidget*>(QString::fromLatin1(name))->accessibleName().isEmpty()) << name;
}

TEST(VersionListDialog, EnterClosesAltRRestoresTheRowSelectedAndTheLockDismissesIt)
{
    QtPlatform platform(QDir::temp().filePath(QStringLiteral("coffernote-versions-test")));
    Versions versions;
    AnswerWithKeys({{Qt::Key_Return, Qt::NoModifier}});
    EXPECT_EQ(platform.chooseVersion(versions), -1);

    AnswerWithKeys({{Qt::Key_Down, Qt::NoModifier}, {Qt::Key_R, Qt::AltModifier}});
    EXPECT_EQ(platform.chooseVersion(versions), 1);

    QTimer::singleShot(50, [&platform] { platform.dismissPrompts(); });
    EXPECT_EQ(platform.chooseVersion(versions), -1);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(VersionLoginPrompt, HandsOverWhatWasTypedAndTheLockDismissesIt)
{
    QtPlatform platform(QDir::temp().filePath(QStringLiteral("coffernote-versions-test")));
    QTimer::singleShot(50, [] {
        QDialog* dialog = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QStringLiteral("frmVersionLogin") && w->isVisible())
                dialog = qobject_cast<QDialog*>(w);
        if (!dialog) {
            ADD_FAILURE() << "no login prompt open";
            return;
        }
        EXPECT_EQ(dialog->findChild<QLineEdit*>(QStringLiteral("txtPassword"))->echoMode(), QLineEdit::Password);
        dialog->findChild<QLineEdit*>(QStringLiteral("txtUserName"))->setText(QStringLiteral("owner"));
        dialog->findChild<QLineEdit*>(QStringLiteral("txtPassword"))->setText(QStringLiteral("s\u00E9cret"));
        dialog->findChild<QLineEdit*>(QStringLiteral("txtNumpad"))->setText(QStringLiteral("2468"));
        dialog->accept();
    });
    std::vector<std::string> typed;
    EXPECT_TRUE(platform.askLogin("<b>text</b>", [&](std::string_view u, std::string_view p, std::string_view d) {
        typed = {std::string(u), std::string(p), std::string(d)};
    }));
    EXPECT_EQ(typed, (std::vector<std::string>{"owner",
                                               "s\xC3\xA9"
                                               "cret",
                                               "2468"}));

    QTimer::singleShot(50, [&platform] { platform.dismissPrompts(); });
    EXPECT_FALSE(platform.askLogin("text", [](std::string_view, std::string_view, std::string_view) {
        ADD_FAILURE() << "a dismissed prompt hands nothing over";
    }));
}
