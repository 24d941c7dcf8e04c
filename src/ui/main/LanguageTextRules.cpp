#include "ui/main/LanguageTextRules.h"

#include "ui/main/WebAddress.h"

#include <QCollatorSortKey>
#include <QString>

#include <algorithm>
#include <numeric>

namespace {

QLocale collationLocale(const QLocale& locale)
{
    return locale.language() == QLocale::C ? QLocale(QLocale::English, QLocale::UnitedStates) : locale;
}

QString q(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

LanguageTextRules::LanguageTextRules(const QLocale& locale) : collator_(collationLocale(locale))
{
    collator_.setCaseSensitivity(Qt::CaseInsensitive);
}

bool LanguageTextRules::less(const std::string& a, const std::string& b) const
{
    return collator_.compare(q(a), q(b)) < 0;
}

std::vector<int> LanguageTextRules::sortedOrder(const std::vector<std::string>& names) const
{
    // One sort key per name: comparing keys is a byte comparison, far cheaper than collating pairs of names.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(names.size());
    for (const std::string& name : names)
        keys.push_back(collator_.sortKey(q(name)));
    std::vector<int> order(names.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&keys](int a, int b) { return keys[a].compare(keys[b]) < 0; });
    return order;
}

std::string LanguageTextRules::fold(const std::string& text) const
{
    return q(text).toCaseFolded().toStdString();
}

std::string LanguageTextRules::shownAddress(const std::string& text) const
{
    return ShownAddress(q(text)).toStdString();
}
