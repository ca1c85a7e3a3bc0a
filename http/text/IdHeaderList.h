#pragma once

#include "framework/StringList.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qv::http {

// Header lines, one physical line per entry: "Name: value", or a continuation line
// beginning with a blank or TAB that belongs to the line above it.
class TIdHeaderList : public framework::TStringList {
public:
    // Written between name and value; without its trailing blanks it ends a name when reading.
    std::string NameSeparator = ": ";
    // When false, LineName answers upper case; lookup ignores case either way.
    bool CaseSensitiveNames = false;
    bool JoinContinuations = true;
    // SetValueOf folds long lines and replaces the old continuation lines.
    bool FoldOnWrite = true;
    int32_t FoldWidth = 78;

    // First line whose name equals name without regard to case; -1 when none.
    int IndexOfHeader(const std::string& name) const;
    std::string LineName(int index) const;
    // The value after the separator with its continuation lines joined on; empty for index < 0.
    std::string LineValue(int index) const;
    std::string ValueOf(const std::string& name) const;
    // The values of every line of that name, in order.
    std::vector<std::string> ValuesOf(const std::string& name) const;
    // Sets or replaces the named header; an empty value removes it.
    void SetValueOf(const std::string& name, const std::string& value);
    // Deletes the continuation lines that follow index.
    void RemoveContinuations(int index);
    // The line wrapped at blanks and TABs to FoldWidth; every line after the first begins with a blank.
    framework::TStringList FoldValue(const std::string& line) const;
    // Joins a continuation line on to the value above it: without its leading blanks and
    // TABs, after one blank unless the value already ends with a blank or TAB.
    static void JoinContinuation(std::string& value, const std::string& continuation);
    static bool IsContinuation(const std::string& line);

private:
    // Position of the reading separator in the line, from 1; 0 when absent.
    int SeparatorPos(const std::string& line) const;
    std::string ReadingSeparator() const;
};

} // namespace qv::http
