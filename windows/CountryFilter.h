#pragma once

#include <QString>

#include <array>

namespace qv::windows {

struct Country {
    const char* item;
    const char* code;
};

// The country filter's items in their order; the listing sends the code of the selected index.
inline constexpr std::array<Country, 18> kCountries = {{{"All countries", "EU"},
                                                        {"Austria", "AT"},
                                                        {"Belgium", "BE"},
                                                        {"Denmark", "DK"},
                                                        {"Finland", "FI"},
                                                        {"France", "FR"},
                                                        {"Germany", "DE"},
                                                        {"Greece", "GR"},
                                                        {"Ireland", "IE"},
                                                        {"Isle of Man", "IM"},
                                                        {"Italy", "IT"},
                                                        {"Luxemborg", "LU"},
                                                        {"Monaco", "MC"},
                                                        {"Netherlands", "NL"},
                                                        {"Portugal", "PT"},
                                                        {"Spain", "ES"},
                                                        {"Sweden", "SE"},
                                                        {"United Kingdom", "GB"}}};

// The item the filter starts with: "United Kingdom".
inline constexpr int kDefaultCountry = 17;

// The index the editable filter stands for: the item whose name the text is, ignoring case and
// the blanks around it; any other text keeps the last selected index, so the listing always sends
// one of the 18 codes.
int CountryIndexFor(const QString& text, int lastIndex);

} // namespace qv::windows
