// How a refused web address is shown, and the page Online Help opens. (Which addresses open: the model's policy,
// tests/app/model/AccountBookWebsiteTest.cpp, on the desktop's parse, tests/platform/qt/QtWebAddressTest.cpp.)
#include "ui/main/WebAddress.h"

#include "TempFolder.h"
#include "ui/main/HelpPage.h"

#include <QUrl>
#include <gtest/gtest.h>

TEST(WebAddress, ShownOnOneLineAndCutWhenLong)
{
    const QString fffd(QChar::ReplacementCharacter);
    const struct
    {
        QString text;
        QString shown;
    } cases[] = {
        {"http:// my.bank", "http:// my.bank"},
        {"a\r\nb\tc\x01\x7f", "a" + fffd + fffd + "b" + fffd + "c" + fffd + fffd},
        {QString::fromUtf8("x\u2028y\u2029z\u202eq\u0085"), "x" + fffd + "y" + fffd + "z" + fffd + "q" + fffd},
        {QString::fromUtf8("caf\u00e9 \U0001F511"), QString::fromUtf8("caf\u00e9 \U0001F511")},
        {QString(kShownAddressLength, u'w'), QString(kShownAddressLength, u'w')},
        {QString(kShownAddressLength + 1, u'w'), QString(kShownAddressLength, u'w') + "..."},
        // Lengths count UTF-16 units; a character of two halves across the cut is left out whole.
        {QString(kShownAddressLength - 2, u'w') + QString::fromUtf8("\U0001F511"),
         QString(kShownAddressLength - 2, u'w') + QString::fromUtf8("\U0001F511")},
        {QString(kShownAddressLength - 1, u'w') + QString::fromUtf8("\U0001F511!"),
         QString(kShownAddressLength - 1, u'w') + "..."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShownAddress(c.text).toStdString(), c.shown.toStdString());
}

TEST(OnlineHelp, TheSupportPageWhenAHostWasSetElseTheInstalledGuide)
{
    TempFolder root;
    std::filesystem::create_directories(root.file("bin"));
    std::filesystem::create_directories(root.file("share/coffernote"));
    const QString bin = QString::fromStdString(root.file("bin"));
    const QString beside = QUrl::fromLocalFile(bin + "/user-guide.html").toString();
    const QString shared =
        QUrl::fromLocalFile(QString::fromStdString(root.file("share/coffernote/user-guide.html"))).toString();

    EXPECT_EQ(OnlineHelpAddress("help.example.net", bin), "http://help.example.net/support.htm");
    EXPECT_EQ(OnlineHelpAddress("Help.Example.NET", bin), "http://help.example.net/support.htm"); // as it opens
    EXPECT_EQ(OnlineHelpAddress("", bin), beside); // nowhere: the browser says what is missing
    root.write("share/coffernote/user-guide.html", "<html/>");
    EXPECT_EQ(OnlineHelpAddress("", bin), shared); // an installed package
    root.write("bin/user-guide.html", "<html/>");
    EXPECT_EQ(OnlineHelpAddress("", bin), beside); // a program folder
}
