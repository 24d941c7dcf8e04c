// The account list in the user's collation order, and the completion that finds the first entry in it.
#include "MainWindowFixture.h"

#include "app/model/AccountBookNames.h"
#include "ui/main/LanguageTextRules.h"

#include <QLocale>

namespace {

const QLocale kGerman(QLocale::German, QLocale::Germany);

std::vector<std::string> utf8(const QStringList& names)
{
    std::vector<std::string> out;
    for (const QString& n : names)
        out.push_back(n.toStdString());
    return out;
}

TEST(LanguageTextRules, SortsByLanguageIgnoringCase)
{
    const LanguageTextRules rules(kGerman);
    AccountNames list(rules);
    list.assign({"Zoo", "bank", "Ärztekammer", "Apfel", "Bank", "zebra", "Äpfel"});
    // Umlauts next to their base letters, case ignored; equal names but for case keep their table order.
    EXPECT_EQ(list.names(), utf8({"Apfel", "Äpfel", "Ärztekammer", "bank", "Bank", "zebra", "Zoo"}));
    EXPECT_EQ(list.insert("BANK"), 5); // after the equal names, as a sorted list inserts
    EXPECT_EQ(list.insert("Öl"), 6);
}

TEST(LanguageTextRules, CStandsForTheCommonLatinOrder)
{
    const LanguageTextRules rules(QLocale::c());
    AccountNames list(rules);
    list.assign({"Zoo", "Ärztekammer"});
    EXPECT_EQ(list.names(), utf8({"Ärztekammer", "Zoo"}));
}

TEST(LanguageTextRules, CompletionFindsTheFirstEntryInListOrder)
{
    const LanguageTextRules rules(kGerman);
    AccountNames list(rules);
    // In list order "bä" comes before "bab", though "ba" < "bä" < "bb" by code: no binary search over the
    // list may miss "bab" for "ba".
    list.assign({"bab", "bä", "Bank", "Bankers", "BANK", "Zoo"});
    ASSERT_EQ(list.names(), utf8({"bä", "bab", "Bank", "BANK", "Bankers", "Zoo"}));
    const struct
    {
        const char* typed;
        int row;
    } cases[] = {
        {"b", 0},    {"BA", 1},   {"ba", 1},    {"bä", 0}, {"Bä", 0}, {"bank", 2},
        {"BANK", 3}, {"Bank", 2}, {"banke", 4}, {"z", 5},  {"x", -1}, {"bankers!", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(list.completionFor(c.typed), c.row) << c.typed;
    list.insert("Ba");
    EXPECT_EQ(list.names()[static_cast<std::size_t>(list.completionFor("ba"))], "Ba");
}

class AccountOrder : public MainWindowFixture
{
protected:
    void SetUp() override { QLocale::setDefault(kGerman); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

TEST_F(AccountOrder, TheComboListFollowsTheLanguageAndTypingCompletesInIt)
{
    storeNames({"Zoo", "Ärztekammer", "arzt"});
    openWindow();
    QComboBox* combo = form->findChild<QComboBox*>(QStringLiteral("cboSelect"));
    QStringList shown;
    for (int i = 0; i < combo->count(); ++i)
        shown << combo->itemText(i);
    EXPECT_EQ(shown, (QStringList{"arzt", "Ärztekammer", "Zoo"}));

    clearCombo();
    QTest::sendKeyEvent(QTest::Click, combo, Qt::Key_Adiaeresis, QStringLiteral("ä"), Qt::NoModifier);
    QTest::keyClicks(combo, QStringLiteral("r"));
    EXPECT_EQ(combo->currentText(), QStringLiteral("Ärztekammer"));
    EXPECT_EQ(combo->lineEdit()->selectedText(), QStringLiteral("ztekammer"));
}

} // namespace
