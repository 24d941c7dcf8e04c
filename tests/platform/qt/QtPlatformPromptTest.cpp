// The desktop's prompts: message boxes and file dialogs, and what happens to them when the program locks.
#include "platform/qt/QtPlatform.h"

#include "platform/qt/Launch.h"
#include "ui/import/ImportPreviewDialog.h"

#include "TempFolder.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

class QtPlatformPrompts : public ::testing::Test
{
protected:
    QtPlatform platform{QDir::temp().filePath(QStringLiteral("coffernote-prompt-test"))};
    std::unique_ptr<QTimer> watchdog;

    // Should a prompt stay open by mistake, the test fails instead of waiting for ever.
    void SetUp() override
    {
        platform.setImportPreviewWindow(&ImportPreviewDialog::create);
        watchdog = std::make_unique<QTimer>();
        QObject::connect(watchdog.get(), &QTimer::timeout, [] {
            ADD_FAILURE() << "a prompt stayed open";
            while (QWidget* w = QApplication::activeModalWidget())
                w->close();
        });
        watchdog->start(5000);
    }
};

TEST_F(QtPlatformPrompts, DismissingCancelsEveryOpenPrompt)
{
    QTimer::singleShot(50, [this] { platform.dismissPrompts(); });
    EXPECT_EQ(platform.messageBox("Proceed?", MsgQuestion, "Coffernote"), Answer::No);
    QTimer::singleShot(50, [this] { platform.dismissPrompts(); });
    EXPECT_EQ(platform.messageBox("Done.", MsgInformation, "Coffernote"), Answer::Ok);
    QTimer::singleShot(50, [this] { platform.dismissPrompts(); });
    EXPECT_EQ(platform.saveFileName("Text Files  (*.txt; *.csv)|*.txt; *.csv"), "");
    QTimer::singleShot(50, [this] { platform.dismissPrompts(); });
    EXPECT_EQ(platform.openFileName("Text Files  (*.txt; *.csv)|*.txt; *.csv"), "");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// The dialog for another program's export starts where browsers save it (the Downloads folder, else home) under
// the command's title; the other open dialogs keep their own title.
TEST_F(QtPlatformPrompts, TheDialogForADownloadedFileStartsInDownloads)
{
    const char* const filter = "CSV Files  (*.csv)|*.csv";
    std::pair<QString, QString> seen; // title, folder
    auto look = [&seen] {
        QTimer::singleShot(50, [&seen] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                seen = {dialog->windowTitle(), dialog->directory().absolutePath()};
                dialog->reject();
            }
        });
    };
    // A home of the test's own, without and then with a Downloads folder.
    TempFolder home;
    const QByteArray oldHome = qgetenv("HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
    const bool hadConfig = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    qputenv("HOME", QByteArray::fromStdString(home.str()));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(home.file(".config")));
    for (bool withDownloads : {false, true}) {
        if (withDownloads)
            QDir(QString::fromStdString(home.str())).mkdir(QStringLiteral("Downloads"));
        look();
        EXPECT_EQ(platform.openDownloadedFileName(filter, "Import from Another Program"), "");
        EXPECT_EQ(seen.first, QStringLiteral("Import from Another Program"));
        EXPECT_EQ(seen.second.toStdString(), withDownloads ? home.file("Downloads") : home.str());
    }
    qputenv("HOME", oldHome);
    if (hadConfig)
        qputenv("XDG_CONFIG_HOME", oldConfig);
    else
        qunsetenv("XDG_CONFIG_HOME");

    look();
    EXPECT_EQ(platform.openFileName(filter), "");
    EXPECT_NE(seen.first, QStringLiteral("Import from Another Program"));
}

// Enter alone answers a question with its default button: Yes for the original questions, No for those whose Yes
// loses data or weakens the protection.
TEST_F(QtPlatformPrompts, EnterAnswersTheQuestionsDefault)
{
    for (const auto& [style, answer] :
         {std::pair{MsgQuestion, Answer::Yes}, std::pair{MsgQuestionNoDefault, Answer::No}}) {
        QTimer::singleShot(50, [] {
            if (QWidget* box = QApplication::activeModalWidget())
                QTest::keyClick(box, Qt::Key_Return);
        });
        EXPECT_EQ(platform.messageBox("Continue?", style, "Coffernote"), answer) << style;
    }
}

// Text from the data is inert wherever a prompt shows it: a website typed or imported as a link's markup shows as
// those very characters, "<a" and all, in every label (plain text) and every cell, never as a link.
TEST_F(QtPlatformPrompts, StoredTextShowsLiterallyInEveryPrompt)
{
    const std::string site = "x:<a href=\"file:///etc\">Continue to your bank</a>";
    const QString shown = QString::fromStdString(site);
    struct Versions : VersionList
    {
        std::string site;
        std::vector<std::string> rows() const override { return {site}; }
        std::string details(int) override { return site; }
    } versions;
    versions.site = site;
    const std::pair<const char*, std::function<void()>> prompts[] = {
        {"message", [&] { platform.messageBox("This is not a web address:\r\n" + site, MsgExclamation, "x"); }},
        {"login prompt", [&] { platform.askLogin("The version of " + site, [](auto, auto, auto) {}); }},
        {"import preview",
         [&] {
             platform.previewImport({"Not imported: the columns " + site + ".", 0, {{site, site, site}}});
         }},
        {"version list", [&] { platform.chooseVersion(versions); }},
        {"start failure", [&] { reportStartFailure(QStringLiteral("Coffernote cannot use ") + shown); }},
    };
    for (const auto& [what, open] : prompts) {
        SCOPED_TRACE(what);
        int literal = 0;
        QTimer::singleShot(50, [&] {
            QWidget* prompt = QApplication::activeModalWidget();
            if (!prompt) {
                ADD_FAILURE() << "no prompt open";
                return;
            }
            for (const QLabel* label : prompt->findChildren<QLabel*>())
                if (label->text().contains(shown)) {
                    EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
                    ++literal;
                }
            // Cells and the details box draw their text as it is.
            for (const QAbstractItemView* view : prompt->findChildren<QAbstractItemView*>())
                for (int row = 0; row < view->model()->rowCount(); ++row)
                    for (int column = 0; column < view->model()->columnCount(); ++column)
                        literal += view->model()->index(row, column).data().toString() == shown;
            for (const QPlainTextEdit* box : prompt->findChildren<QPlainTextEdit*>())
                literal += box->toPlainText() == shown;
            prompt->close();
        });
        open();
        EXPECT_GE(literal, 1);
    }
}

TEST_F(QtPlatformPrompts, DismissingReachesPromptsOpenedWithinPrompts)
{
    Answer inner = Answer::Yes;
    QTimer::singleShot(50, [this, &inner] {
        QTimer::singleShot(50, [this] { platform.dismissPrompts(); });
        inner = platform.messageBox("Inner?", MsgQuestion, "Coffernote");
    });
    EXPECT_EQ(platform.messageBox("Outer?", MsgQuestion, "Coffernote"), Answer::No);
    EXPECT_EQ(inner, Answer::No);
}

// The lock closes the login settings dialog while its message box waits: the box goes with its parent, and
// the program carries on.
TEST_F(QtPlatformPrompts, APromptWhoseWindowGoesMeanwhileReturnsSafely)
{
    for (const int style : {MsgQuestion, MsgInformation}) {
        auto* window = new QWidget;
        window->show();
        window->activateWindow();
        QApplication::setActiveWindow(window);
        QTimer::singleShot(50, [window] { delete window; });
        const Answer a = platform.messageBox("Saved.", style, "Coffernote");
        EXPECT_EQ(a, style == MsgQuestion ? Answer::No : Answer::Ok);
    }
}

// A desktop stacks a prompt above the window that owns it; one that belongs to no window goes below a window
// kept on top, where it holds the keyboard unseen.
TEST_F(QtPlatformPrompts, EveryPromptBelongsToTheWindowActedInOrStaysOnTop)
{
    struct Shown
    {
        QWidget* owner;
        bool onTop;
    };
    auto shown = [this](const std::function<void()>& prompt) {
        Shown seen{nullptr, false};
        QTimer::singleShot(50, [&seen] {
            QWidget* box = QApplication::activeModalWidget();
            seen = {box->parentWidget(), box->windowFlags().testFlag(Qt::WindowStaysOnTopHint)};
            static_cast<QDialog*>(box)->reject();
        });
        prompt();
        return seen;
    };
    const std::function<void()> box = [this] {
        platform.message("Settings have been saved successfully.", MsgInformation);
    };
    const std::function<void()> question = [this] { platform.message("Delete record?", MsgQuestion); };
    const std::function<void()> file = [this] { platform.saveFileName("Text Files  (*.txt; *.csv)|*.txt; *.csv"); };

    // Before any window (the splash phase, a refused second copy).
    Shown s = shown(box);
    EXPECT_EQ(s.owner, nullptr);
    EXPECT_TRUE(s.onTop);

    QMainWindow main;
    main.show();
    QDialog settings(&main);
    settings.show();
    for (QWidget* actedIn : {static_cast<QWidget*>(&main), static_cast<QWidget*>(&settings)}) {
        QApplication::setActiveWindow(actedIn);
        EXPECT_EQ(shown(question).owner, actedIn);
        // The next prompt opens before the window has the keyboard back.
        QApplication::setActiveWindow(nullptr);
        for (const std::function<void()>& next : {box, file}) {
            s = shown(next);
            EXPECT_EQ(s.owner, actedIn);
            EXPECT_FALSE(s.onTop);
        }
    }
    // The window acted in has gone: the main window.
    settings.hide();
    QApplication::setActiveWindow(nullptr);
    EXPECT_EQ(shown(box).owner, &main);
}

} // namespace
