#include "ui/main/AccountNameList.h"

#include <QCollatorSortKey>

#include <algorithm>
#include <numeric>

namespace {

QLocale collationLocale(const QLocale& locale)
{
    return locale.language() == QLocale::C ? QLocale(QLocale::English, QLocale::UnitedStates) : locale;
}

} // namespace

AccountNameList::AccountNameList(const QLocale& locale) : collator_(collationLocale(locale))
{
    collator_.setCaseSensitivity(Qt::CaseInsensitive);
}

void AccountNameList::assign(const QStringList& names)
{
    // One sort key per name: comparing keys is a byte comparison, far cheaper than collating pairs of names.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(static_cast<std::size_t>(names.size()));
    for (const QString& name : names)
        keys.push_back(collator_.sortKey(name));
    std::vector<int> order(static_cast<std::size_t>(names.size()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&keys](int a, int b) { return keys[a].compare(keys[b]) < 0; });

    names_.clear();
    names_.reserve(names.size());
    for (int i : order)
        names_.append(names[i]);
    rebuildIndex();
}

int AccountNameList::insert(const QString& name)
{
    const auto at = std::upper_bound(names_.begin(), names_.end(), name,
                                     [this](const QString& a, const QString& b) { return less(a, b); });
    const int row = static_cast<int>(at - names_.begin());
    names_.insert(row, name);
    rebuildIndex();
    return row;
}

void AccountNameList::rebuildIndex()
{
    folded_.clear();
    folded_.reserve(static_cast<std::size_t>(names_.size()));
    for (int row = 0; row < names_.size(); ++row)
        folded_.emplace_back(names_[row].toCaseFolded(), row);
    std::sort(folded_.begin(), folded_.end());

    const std::size_t n = folded_.size();
    minRow_.assign(2 * n, 0);
    for (std::size_t i = 0; i < n; ++i)
        minRow_[n + i] = folded_[i].second;
    for (std::size_t i = n; i-- > 1;)
        minRow_[i] = std::min(minRow_[2 * i], minRow_[2 * i + 1]);
}

int AccountNameList::firstRow(std::size_t from, std::size_t to) const
{
    const std::size_t n = folded_.size();
    int best = -1;
    auto take = [&best](int row) { best = best < 0 ? row : std::min(best, row); };
    for (from += n, to += n; from < to; from /= 2, to /= 2) {
        if (from & 1)
            take(minRow_[from++]);
        if (to & 1)
            take(minRow_[--to]);
    }
    return best;
}

int AccountNameList::completionFor(const QString& text) const
{
    const QString key = text.toCaseFolded();
    const auto from = std::lower_bound(folded_.begin(), folded_.end(), key,
                                       [](const auto& entry, const QString& k) { return entry.first < k; });
    const auto to =
        std::partition_point(from, folded_.end(), [&key](const auto& entry) { return entry.first.startsWith(key); });
    // The names equal to the text but for case come first in the range, in list order.
    for (auto it = from; it != to && it->first == key; ++it)
        if (names_[it->second] == text)
            return it->second;
    return firstRow(static_cast<std::size_t>(from - folded_.begin()), static_cast<std::size_t>(to - folded_.begin()));
}
