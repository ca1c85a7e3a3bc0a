#pragma once

#include <string_view>

namespace qv::server {

// The countries of ISO 3166-1 with their English names, as notices name them by the
// three-letter code and the wire by the two-letter one.
class IsoCountries {
public:
    struct Country {
        const char* alpha3;
        const char* alpha2;
        const char* name;
    };

    // Nothing for a code the standard does not know.
    static const Country* ByAlpha3(std::string_view code);
    static const Country* ByAlpha2(std::string_view code);
    // The code under which the protocol's country filter finds the country: its two-letter
    // code when it is one of the filter's countries, else empty (found under all countries).
    static std::string_view FilterCode(std::string_view alpha3);
};

} // namespace qv::server
