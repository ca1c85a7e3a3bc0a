#include "http/text/IdHeaderList.h"

#include "http/text/IdTextFunctions.h"

namespace qv::http {

namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string TrimBlanksLeft(const std::string& text) {
    size_t first = 0;
    while (first < text.size() && IsBlank(text[first]))
        ++first;
    return text.substr(first);
}

std::string TrimBlanksRight(const std::string& text) {
    size_t last = text.size();
    while (last > 0 && IsBlank(text[last - 1]))
        --last;
    return text.substr(0, last);
}
} // namespace

std::string TIdHeaderList::ReadingSeparator() const {
    size_t last = NameSeparator.size();
    while (last > 0 && NameSeparator[last - 1] == ' ')
        --last;
    return NameSeparator.substr(0, last);
}

int TIdHeaderList::SeparatorPos(const std::string& line) const {
    return TextPos(ReadingSeparator(), line);
}

int TIdHeaderList::IndexOfHeader(const std::string& name) const {
    for (int i = 0; i < Count(); ++i)
        if (AnsiSameText(LineName(i), name)) return i;
    return -1;
}

std::string TIdHeaderList::LineName(int index) const {
    const std::string& line = (*this)[index];
    const int pos = SeparatorPos(line);
    if (pos == 0) return {};
    const std::string name = line.substr(0, static_cast<size_t>(pos - 1));
    return CaseSensitiveNames ? name : AnsiUpperCase(name);
}

std::string TIdHeaderList::LineValue(int index) const {
    if (index < 0) return {};
    const std::string& line = (*this)[index];
    const int pos = SeparatorPos(line);
    // A line without separator keeps all of its text as value rather than losing a byte.
    std::string value =
        pos == 0 ? line : line.substr(static_cast<size_t>(pos - 1) + ReadingSeparator().size());
    if (JoinContinuations)
        for (int i = index + 1; i < Count() && IsContinuation((*this)[i]); ++i)
            JoinContinuation(value, (*this)[i]);
    return TrimBlanksLeft(value);
}

std::string TIdHeaderList::ValueOf(const std::string& name) const {
    return LineValue(IndexOfHeader(name));
}

std::vector<std::string> TIdHeaderList::ValuesOf(const std::string& name) const {
    std::vector<std::string> values;
    for (int i = 0; i < Count(); ++i)
        if (AnsiSameText(LineName(i), name)) values.push_back(LineValue(i));
    return values;
}

void TIdHeaderList::JoinContinuation(std::string& value, const std::string& continuation) {
    if (value.empty() || !IsBlank(value.back())) value += ' ';
    value += TrimBlanksLeft(continuation);
}

bool TIdHeaderList::IsContinuation(const std::string& line) {
    return !line.empty() && IsBlank(line.front());
}

void TIdHeaderList::SetValueOf(const std::string& name, const std::string& value) {
    int index = IndexOfHeader(name);
    if (value.empty()) {
        if (index < 0) return;
        // Left behind, the continuation lines would join the value of the header above.
        RemoveContinuations(index);
        Delete(index);
        return;
    }
    const std::string line = name + NameSeparator + value;
    if (index < 0) index = Add({});
    if (!FoldOnWrite) {
        Put(index, line);
        return;
    }
    RemoveContinuations(index);
    const framework::TStringList folded = FoldValue(line);
    Put(index, folded[0]);
    for (int i = 1; i < folded.Count(); ++i)
        Insert(index + i, folded[i]);
}

void TIdHeaderList::RemoveContinuations(int index) {
    if (index < 0) return;
    while (index + 1 < Count() && IsContinuation((*this)[index + 1]))
        Delete(index + 1);
}

framework::TStringList TIdHeaderList::FoldValue(const std::string& line) const {
    const std::string wrapped = WrapText(line, "\r\n ", " \t", FoldWidth);
    framework::TStringList lines;
    size_t start = 0;
    for (;;) {
        const size_t end = wrapped.find("\r\n", start);
        lines.Add(TrimBlanksRight(wrapped.substr(start, end == std::string::npos ? end : end - start)));
        if (end == std::string::npos) break;
        start = end + 2;
    }
    return lines;
}

} // namespace qv::http
