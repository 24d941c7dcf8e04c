// The desktop's parse of web addresses: every text the scripted desktop answers is checked here against QUrl.
#include "platform/qt/QtWebAddress.h"

#include "TempFolder.h"
#include "WebAddressParses.h"
#include "platform/qt/QtPlatform.h"

#include <QUrl>
#include <gtest/gtest.h>

TEST(QtWebAddress, TakesEachTextApartAsTheScriptedDesktopSays)
{
    for (const KnownParse& known : KnownWebAddressParses()) {
        SCOPED_TRACE(known.text);
        const WebAddressParts parts = ParseWebAddress(QString::fromUtf8(known.text));
        EXPECT_EQ(parts, known.parts);
        // The plain parse of the other desktops answers where the table says, and agrees.
        const std::optional<WebAddressParts> plain = PlainWebAddressParts(known.text);
        EXPECT_EQ(plain.has_value(), known.plain);
        if (plain) {
            EXPECT_EQ(*plain, known.parts);
        }
        // The normalized form reads back unchanged: it is what opens.
        if (parts.valid) {
            EXPECT_EQ(QUrl(QString::fromStdString(parts.normalized), QUrl::StrictMode).toString(QUrl::FullyEncoded),
                      QString::fromStdString(parts.normalized));
        }
    }
}

// The desktop opens only a normalized form: a text it would have to mend or re-encode is not what was checked.
TEST(QtWebAddress, TheDesktopOpensNothingButANormalizedForm)
{
    TempFolder data;
    QtPlatform platform(QString::fromStdString(data.str()));
    for (const char* text :
         {"http://bank.example/a b", "HTTP://bank.example", "http://b\u00e4nk.de", "http://0x7f000001"})
        EXPECT_FALSE(platform.openUrl(text)) << text;
}
