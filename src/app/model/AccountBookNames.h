#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

// What the core cannot know about text without the desktop's language libraries: the order of names in the
// user's language, case folding, and how a text is shown on one line. The window injects the desktop's rules;
// the plain defaults (byte order without regard to ASCII case) serve tests and tools. What a web address is, the
// desktop's parse says through the platform seam (Platform::parseWebAddress).
class TextRules
{
public:
    virtual ~TextRules() = default;

    // True when a comes before b in the list, without regard to letter case.
    virtual bool less(const std::string& a, const std::string& b) const;
    // The rows of names in list order; equal names keep the order they come in. Overridden where a sort key
    // per name is far cheaper than comparing pairs.
    virtual std::vector<int> sortedOrder(const std::vector<std::string>& names) const;
    // text folded to one case, for prefix matching.
    virtual std::string fold(const std::string& text) const;

    // text as a message may show it on one line, an international host in its ASCII form.
    virtual std::string shownAddress(const std::string& text) const { return text; }

    static const TextRules& plain();
};

// The names of the account list in list order, and the entry that completes a typed text.
class AccountNames
{
public:
    explicit AccountNames(const TextRules& rules) : rules_(&rules) {}

    // Replaces the names; equal names keep the order they come in.
    void assign(const std::vector<std::string>& names);
    // Inserts a name after any equal ones, as a sorted list inserts; returns its row.
    int insert(const std::string& name);
    void clear() { assign({}); }

    const std::vector<std::string>& names() const { return names_; }

    // The row that completes text: the first in list order that begins with it, ignoring case; -1 for none.
    // A name in the list exactly as typed stays as it is, so names that differ only in case can each be reached.
    int completionFor(const std::string& text) const;

private:
    // The names folded to one case and sorted by code: the names that begin with a text stand together
    // there, and a tree of row minima over them finds the first in list order without a scan.
    void rebuildIndex();
    int firstRow(std::size_t from, std::size_t to) const;

    const TextRules* rules_;
    std::vector<std::string> names_;
    std::vector<std::pair<std::string, int>> folded_;
    std::vector<int> minRow_;
};
