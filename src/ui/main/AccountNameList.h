#pragma once

#include <QCollator>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

// The names of the account combo box in the order of the user's language, without regard to letter case
// ("Ärztekammer" before "Zoo"), and the entry that completes a typed text.
class AccountNameList
{
public:
    // The "C" locale names no language; its plain code order would put accented letters after "Z", so the
    // common order of the Latin letters (the English one) stands in for it.
    explicit AccountNameList(const QLocale& locale = QLocale());

    // Replaces the names; equal names keep the order they come in.
    void assign(const QStringList& names);
    // Inserts a name after any equal ones, as a sorted list inserts; returns its row.
    int insert(const QString& name);
    void clear() { assign({}); }

    const QStringList& names() const { return names_; }

    // The row that completes text: the first in list order that begins with it, ignoring case; -1 for none.
    // A name in the list exactly as typed stays as it is, so names that differ only in case can each be reached.
    int completionFor(const QString& text) const;

private:
    bool less(const QString& a, const QString& b) const { return collator_.compare(a, b) < 0; }
    // The names folded to one case and sorted by code: the names that begin with a text stand together
    // there, and a tree of row minima over them finds the first in list order without a scan.
    void rebuildIndex();
    int firstRow(std::size_t from, std::size_t to) const;

    QCollator collator_;
    QStringList names_;
    std::vector<std::pair<QString, int>> folded_;
    std::vector<int> minRow_;
};
