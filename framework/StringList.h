#pragma once

#include <string>
#include <vector>

namespace qv::framework {

// The framework's string list: an ordered list of 8-bit text lines, unsorted,
// duplicates allowed. Text joins the lines with CR LF after each; SetText splits
// at CR LF, a lone CR or a lone LF, drops an empty last line and stops at NUL.
class TStringList {
public:
    TStringList() = default;
    virtual ~TStringList() = default;
    TStringList(const TStringList&) = default;
    TStringList& operator=(const TStringList&) = default;

    int Count() const { return static_cast<int>(lines_.size()); }
    const std::string& operator[](int index) const;
    void Put(int index, const std::string& line);
    int Add(const std::string& line);
    void Insert(int index, const std::string& line);
    void Delete(int index);
    void Clear() { lines_.clear(); }
    void AddStrings(const TStringList& other);
    // Index of the first line equal to the text without regard to case; -1 when none.
    int IndexOf(const std::string& line) const;

    std::string Text() const;
    void SetText(const std::string& text);
    // Text with the given separator written between the lines (no trailing separator).
    std::string Join(const std::string& separator) const;

    const std::vector<std::string>& Lines() const { return lines_; }

private:
    void CheckIndex(int index, bool allowEnd) const;

    std::vector<std::string> lines_;
};

} // namespace qv::framework
