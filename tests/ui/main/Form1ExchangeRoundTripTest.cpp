// An export is the user's plain backup: what the boxes take comes back whole through Export and Import, and a
// failed export leaves the old file as it was.
#include "MainWindowFixture.h"

#include "base/AtomicFile.h"

namespace {

const char* const kImportQuestion = "Importing a data file will overwrite  \r\nexisting data.  Proceed?  ";
const char* const kSaved = "Settings have been saved successfully.";

class Form1ExchangeRoundTrip : public MainWindowFixture
{
protected:
    void TearDown() override { SetFileFaultHookForTests({}); }
    TempFolder elsewhere; // where the user keeps exchange files

    // Types text as a keyboard would: a printable ASCII character's key code is its upper-case code; letters
    // beyond come as an input method sends them, text only.
    static void type(QWidget* w, const QString& text)
    {
        for (QChar c : text) {
            const auto key = c.unicode() < 0x80 ? Qt::Key(c.toUpper().unicode()) : Qt::Key_unknown;
            QTest::sendKeyEvent(QTest::Click, w, key, QString(c), Qt::NoModifier);
        }
    }
};

} // namespace

// The boxes take every printable character typed (Tab moves the focus instead); pasted or imported control
// characters are covered by the exchange format's own tests.
TEST_F(Form1ExchangeRoundTrip, EveryCharacterTypedComesBackThroughExportAndImport)
{
    openWindow();
    QString printable;
    for (char16_t c = 0x20; c < 0x7F; ++c)
        printable += QChar(c);
    const QString letters = QString::fromUtf8("\xC3\xA9\xC3\x9F\xD0\x96\xE4\xB8\xAD"); // é ß Ж 中
    const QString name = printable.mid(0, 46) + letters;                               // the boxes' limits:
    const QString userId = printable.mid(46, 46) + letters;                            // 50 for the name,
    const QString password = printable.mid(92) + printable.mid(0, 43) + letters;       // user ID and password,
    const QString everything = printable + letters;                                    // 100 for the others
    type(combo(), name);
    type(box("txtWebsite"), everything);
    type(box("txtGeneral"), everything);
    type(box("txtUserid"), userId);
    type(box("txtPassword"), password);
    ASSERT_EQ(comboText(), name);
    for (const char* b : {"txtWebsite", "txtGeneral"})
        ASSERT_EQ(box(b)->text(), everything) << b;
    ASSERT_EQ(box("txtUserid")->text(), userId);
    ASSERT_EQ(box("txtPassword")->text(), password);
    click("Add_Account");
    const AccountTable before = form->book().table();
    ASSERT_EQ(before.size(), 2u);

    platform.queueFile(elsewhere.file("backup.csv"));
    menuItem("Export")->trigger();
    forgetMessages();
    platform.queueAnswer(Answer::Yes);
    platform.queueFile(elsewhere.file("backup.csv"));
    menuItem("Import")->trigger();
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{kImportQuestion, kSaved}));
    EXPECT_EQ(form->book().table(), before);
    EXPECT_EQ(storedTable(), before);

    QTest::keyClick(button("cmdGo"), Qt::Key_Shift, Qt::ShiftModifier); // the website is no web address
    clearCombo();
    type(combo(), name);
    click("cmdGo");
    EXPECT_EQ(box("txtWebsite")->text(), everything);
    EXPECT_EQ(box("txtGeneral")->text(), everything);
    EXPECT_EQ(box("txtUserid")->text(), userId);
    EXPECT_EQ(box("txtPassword")->text(), password);
}

TEST_F(Form1ExchangeRoundTrip, AFailedExportLeavesTheOldFileAndSaysSo)
{
    storeAccounts({account("Bank", "https://bank.example", "", "me", "pw")});
    openWindow();
    elsewhere.write("backup.csv", "last week's export");
    SetFileFaultHookForTests([](FileFault f, const std::string&) { return f == FileFault::WriteHalfway; });
    platform.queueFile(elsewhere.file("backup.csv"));
    menuItem("Export")->trigger();
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "Account information has not been exported.\r\nThe file " +
                                             elsewhere.file("backup.csv") +
                                             " could not be written: No space left on device.");
    EXPECT_EQ(platform.messages[0].style, MsgExclamation);
    EXPECT_EQ(elsewhere.read("backup.csv"), "last week's export");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(elsewhere.str()), {}), 1);
}
