#pragma once

// Connection parameters as an ordered list of name and value items, read from and written to
// a connection string "Name=Value;Name=Value". Nothing is quoted or escaped; names keep their
// case and any blanks around them.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace update::connect {

struct TValItem {
    std::string Value;
    std::string Name;

    // Stores the value; a value of exactly two double quotes becomes the empty text.
    void AssignValue(std::string_view value);
};

class TValList {
public:
    TValList() = default;
    ~TValList() { Clear(); }
    TValList(const TValList&) = delete;
    TValList& operator=(const TValList&) = delete;
    TValList(TValList&&) = default;
    TValList& operator=(TValList&&) = default;

    // Releases every item, last to first.
    void Clear();

    // Names match when their locale upper-case forms are equal; with duplicate names the item
    // added last wins.
    // The value of the matching item, or the empty text.
    std::string GetValue(std::string_view name) const;
    // Stores the value in the matching item (also an empty one: the item stays); without a
    // match appends a new item, unless the value is empty.
    void SetValue(std::string_view name, std::string_view value);
    // Removes the matching item only.
    void RemoveValue(std::string_view name);

    // "Name=Value" pairs joined by ";", no trailing ";".
    std::string BuildText() const;
    // Replaces all items by those read from the text. A segment without "=" before its ";" is
    // skipped; the first "=" of a segment ends the name, a ";" always ends the value.
    void ParseText(std::string_view text);

    std::size_t count() const { return Items_.size(); }
    // Throws std::out_of_range for an index not below count().
    TValItem& operator[](std::size_t index) { return *Items_.at(index); }
    const TValItem& operator[](std::size_t index) const { return *Items_.at(index); }

private:
    // Index of the last item whose name matches, or count() when none does.
    std::size_t find(std::string_view name) const;
    void append(std::string_view name, std::string_view value);

    std::vector<std::unique_ptr<TValItem>> Items_;
};

// Puts the SQL account into a connection string. The first occurrence of "user id" (ASCII
// letters compared without case) and everything up to the next ";" become "user id=" followed
// by sqlUser; then the same for "password" and sqlPassword. A blank sqlUser or sqlPassword is
// instead taken over from the text: the value found, trimmed, without a leading "=" (blanks
// after that "=" stay); the caller's string receives it. Characters outside the replaced
// values keep their case. The result is trimmed of blanks and control characters.
std::string SubstituteCredentials(std::string_view text, std::string& sqlUser,
                                  std::string& sqlPassword);

} // namespace update::connect
