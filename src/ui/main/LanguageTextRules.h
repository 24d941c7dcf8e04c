#pragma once

#include "app/model/AccountBookNames.h"

#include <QCollator>
#include <QLocale>

// The desktop's rules of text for the account book: names in the order of the user's language without regard
// to letter case ("Ärztekammer" before "Zoo"), Unicode case folding, and web addresses shown on one line.
class LanguageTextRules : public TextRules
{
public:
    // The "C" locale names no language; its plain code order would put accented letters after "Z", so the
    // common order of the Latin letters (the English one) stands in for it.
    explicit LanguageTextRules(const QLocale& locale = QLocale());

    bool less(const std::string& a, const std::string& b) const override;
    std::vector<int> sortedOrder(const std::vector<std::string>& names) const override;
    std::string fold(const std::string& text) const override;
    std::string shownAddress(const std::string& text) const override;

private:
    QCollator collator_;
};
