#include "app/model/AccountBookNames.h"

#include <algorithm>
#include <numeric>

namespace {

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool TextRules::less(const std::string& a, const std::string& b) const
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return lower(x) < lower(y); });
}

std::vector<int> TextRules::sortedOrder(const std::vector<std::string>& names) const
{
    std::vector<int> order(names.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return less(names[a], names[b]); });
    return order;
}

std::string TextRules::fold(const std::string& text) const
{
    std::string folded = text;
    std::transform(folded.begin(), folded.end(), folded.begin(), lower);
    return folded;
}

const TextRules& TextRules::plain()
{
    static const TextRules rules;
    return rules;
}

void AccountNames::assign(const std::vector<std::string>& names)
{
    const std::vector<int> order = rules_->sortedOrder(names);
    names_.clear();
    names_.reserve(names.size());
    for (int i : order)
        names_.push_back(names[static_cast<std::size_t>(i)]);
    rebuildIndex();
}

int AccountNames::insert(const std::string& name)
{
    const auto at = std::upper_bound(names_.begin(), names_.end(), name,
                                     [this](const std::string& a, const std::string& b) { return rules_->less(a, b); });
    const int row = static_cast<int>(at - names_.begin());
    names_.insert(at, name);
    rebuildIndex();
    return row;
}

void AccountNames::rebuildIndex()
{
    folded_.clear();
    folded_.reserve(names_.size());
    for (std::size_t row = 0; row < names_.size(); ++row)
        folded_.emplace_back(rules_->fold(names_[row]), static_cast<int>(row));
    std::sort(folded_.begin(), folded_.end());

    const std::size_t n = folded_.size();
    minRow_.assign(2 * n, 0);
    for (std::size_t i = 0; i < n; ++i)
        minRow_[n + i] = folded_[i].second;
    for (std::size_t i = n; i-- > 1;)
        minRow_[i] = std::min(minRow_[2 * i], minRow_[2 * i + 1]);
}

int AccountNames::firstRow(std::size_t from, std::size_t to) const
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

int AccountNames::completionFor(const std::string& text) const
{
    const std::string key = rules_->fold(text);
    const auto from = std::lower_bound(folded_.begin(), folded_.end(), key,
                                       [](const auto& entry, const std::string& k) { return entry.first < k; });
    const auto to = std::partition_point(
        from, folded_.end(), [&key](const auto& entry) { return entry.first.compare(0, key.size(), key) == 0; });
    // The names equal to the text but for case come first in the range, in list order.
    for (auto it = from; it != to && it->first == key; ++it)
        if (names_[static_cast<std::size_t>(it->second)] == text)
            return it->second;
    return firstRow(static_cast<std::size_t>(from - folded_.begin()), static_cast<std::size_t>(to - folded_.begin()));
}
