#include "windows/CountryFilter.h"

namespace qv::windows {

int CountryIndexFor(const QString& text, int lastIndex) {
    const QString name = text.trimmed();
    for (size_t i = 0; i < kCountries.size(); ++i)
        if (name.compare(QLatin1String(kCountries[i].item), Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return lastIndex >= 0 && lastIndex < static_cast<int>(kCountries.size()) ? lastIndex : kDefaultCountry;
}

} // namespace qv::windows
