#include "app/model/AccountBookNames.h"

#include <algorithm>
#include <cctype>
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

bool TextRules::isWebAddress(const std::string& text) const
{
    // scheme "://" [userinfo "@"] host [":" digits] [path]: the plain form of a web address, without the
    // percent-encoding and international host rules the desktop's parser knows.
    const std::string folded = fold(text);
    std::size_t at = 0;
    if (folded.rfind("http://", 0) == 0)
        at = 7;
    else if (folded.rfind("https://", 0) == 0)
        at = 8;
    else
        return false;
    for (unsigned char c : text)
        if (c <= ' ' || c == 0x7F)
            return false;
    const std::size_t end = std::min(text.find_first_of("/?#", at), text.size());
    std::string authority = text.substr(at, end - at);
    if (const std::size_t user = authority.rfind('@'); user != std::string::npos)
        authority.erase(0, user + 1);
    const std::size_t colon = authority.find(':');
    const std::string host = authority.substr(0, colon);
    const std::string port = colon == std::string::npos ? std::string() : authority.substr(colon + 1);
    const auto hostChar = [](unsigned char c) {
        return std::isalnum(c) || c == '.' || c == '-' || c == '_' || c >= 0x80;
    };
    return !host.empty() && std::all_of(host.begin(), host.end(), hostChar) &&
           std::all_of(port.begin(), port.end(), [](unsigned char c) { return std::isdigit(c); });
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
