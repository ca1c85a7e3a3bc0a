#include "framework/StringList.h"

#include "framework/Conversions.h"
#include "framework/EListError.h"
#include "framework/Format.h"

namespace qv::framework {

void TStringList::CheckIndex(int index, bool allowEnd) const {
    if (index < 0 || index > Count() || (index == Count() && !allowEnd))
        throw EListError(FormatMessage(SListIndexError, index));
}

const std::string& TStringList::operator[](int index) const {
    CheckIndex(index, false);
    return lines_[static_cast<size_t>(index)];
}

void TStringList::Put(int index, const std::string& line) {
    CheckIndex(index, false);
    lines_[static_cast<size_t>(index)] = line;
}

int TStringList::Add(const std::string& line) {
    lines_.push_back(line);
    return Count() - 1;
}

void TStringList::Insert(int index, const std::string& line) {
    CheckIndex(index, true);
    lines_.insert(lines_.begin() + index, line);
}

void TStringList::Delete(int index) {
    CheckIndex(index, false);
    lines_.erase(lines_.begin() + index);
}

void TStringList::AddStrings(const TStringList& other) {
    lines_.insert(lines_.end(), other.lines_.begin(), other.lines_.end());
}

int TStringList::IndexOf(const std::string& line) const {
    for (int i = 0; i < Count(); ++i)
        if (SameText(lines_[static_cast<size_t>(i)], line)) return i;
    return -1;
}

std::string TStringList::Text() const {
    std::string text;
    for (const auto& line : lines_) {
        text += line;
        text += "\r\n";
    }
    return text;
}

void TStringList::SetText(const std::string& text) {
    lines_.clear();
    const size_t end = text.find('\0') == std::string::npos ? text.size() : text.find('\0');
    size_t start = 0;
    while (start < end) {
        size_t stop = start;
        while (stop < end && text[stop] != '\r' && text[stop] != '\n')
            ++stop;
        lines_.push_back(text.substr(start, stop - start));
        if (stop < end && text[stop] == '\r') ++stop;
        if (stop < end && text[stop] == '\n') ++stop;
        start = stop;
    }
}

std::string TStringList::Join(const std::string& separator) const {
    std::string text;
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (i > 0) text += separator;
        text += lines_[i];
    }
    return text;
}

} // namespace qv::framework
