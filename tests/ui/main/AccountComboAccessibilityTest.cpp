// The account list as a screen reader reaches it: through the accessibility tree, from the window down.
#include "MainWindowFixture.h"

#include <QAbstractItemView>
#include <QAccessible>

namespace {

struct Item
{
    QString name;
    int row;
    bool selected;
    bool operator==(const Item&) const = default;
    friend void PrintTo(const Item& i, std::ostream* os)
    {
        *os << i.name.toStdString() << '@' << i.row << (i.selected ? " selected" : "");
    }
};

class AccountComboAccessibility : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        storeAccounts(LookupAccounts());
        openWindow();
    }

    // The first interface under the node, depth first, with the role (and the name, when one is given).
    static QAccessibleInterface* findIn(QAccessibleInterface* node, QAccessible::Role role, const QString& name = {})
    {
        for (int i = 0; i < node->childCount(); ++i) {
            QAccessibleInterface* c = node->child(i);
            if (!c)
                continue;
            if (c->role() == role && (name.isEmpty() || c->text(QAccessible::Name) == name))
                return c;
            if (QAccessibleInterface* found = findIn(c, role, name))
                return found;
        }
        return nullptr;
    }

    // The account list's items as a reader walking from the window hears them; each one names its list back.
    std::vector<Item> itemsHeard()
    {
        QAccessibleInterface* box =
            findIn(QAccessible::queryAccessibleInterface(form.get()), QAccessible::ComboBox, "Account Name");
        EXPECT_NE(box, nullptr);
        if (!box)
            return {};
        EXPECT_EQ(box->object(), combo());
        QAccessibleInterface* list = findIn(box, QAccessible::List);
        EXPECT_NE(list, nullptr);
        if (!list)
            return {};
        EXPECT_EQ(list->object(), combo()->view());
        EXPECT_EQ(list->parent(), box);
        EXPECT_EQ(box->indexOfChild(list), 0);
        std::vector<Item> items;
        for (int i = 0; i < list->childCount(); ++i) {
            QAccessibleInterface* item = list->child(i);
            EXPECT_EQ(item->role(), QAccessible::ListItem);
            EXPECT_EQ(item->parent(), list);
            EXPECT_EQ(list->indexOfChild(item), i);
            items.push_back({item->text(QAccessible::Name), item->tableCellInterface()->rowIndex(),
                             static_cast<bool>(item->state().selected)});
        }
        return items;
    }
};

} // namespace

TEST_F(AccountComboAccessibility, TheBoxHoldsItsTextBoxAndItsList)
{
    QAccessibleInterface* box = QAccessible::queryAccessibleInterface(combo());
    EXPECT_EQ(box->text(QAccessible::Name), "Account Name");
    ASSERT_EQ(box->childCount(), 2);
    EXPECT_EQ(box->child(0)->role(), QAccessible::List);
    EXPECT_EQ(box->child(1)->object(), combo()->lineEdit());
    EXPECT_EQ(box->child(1)->parent(), box);
    EXPECT_EQ(box->indexOfChild(box->child(1)), 1);
}

TEST_F(AccountComboAccessibility, AReaderFindsTheAccountsWithTheListClosed)
{
    ASSERT_FALSE(combo()->view()->isVisible());
    EXPECT_EQ(itemsHeard(),
              (std::vector<Item>{{"Bank", 0, false}, {"Bankers", 1, false}, {"Mail", 2, false}, {"zoo", 3, false}}));
}

TEST_F(AccountComboAccessibility, AReaderFindsTheAccountsAndTheOneMovedToWithTheListOpen)
{
    combo()->showPopup();
    ASSERT_TRUE(combo()->view()->isVisible());
    EXPECT_EQ(itemsHeard(),
              (std::vector<Item>{{"Bank", 0, true}, {"Bankers", 1, false}, {"Mail", 2, false}, {"zoo", 3, false}}));
    QTest::keyClick(combo()->view(), Qt::Key_Down); // the reader's user moves down the list
    QTest::keyClick(combo()->view(), Qt::Key_Down);
    EXPECT_EQ(itemsHeard(),
              (std::vector<Item>{{"Bank", 0, false}, {"Bankers", 1, false}, {"Mail", 2, true}, {"zoo", 3, false}}));
    combo()->hidePopup();
}
