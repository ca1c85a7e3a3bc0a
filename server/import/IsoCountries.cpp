#include "server/import/IsoCountries.h"

#include <array>
#include <optional>

namespace qv::server {

namespace {

constexpr IsoCountries::Country kCountries[] = {
    {"AFG", "AF", "Afghanistan"},
    {"ALA", "AX", "Åland Islands"},
    {"ALB", "AL", "Albania"},
    {"DZA", "DZ", "Algeria"},
    {"ASM", "AS", "American Samoa"},
    {"AND", "AD", "Andorra"},
    {"AGO", "AO", "Angola"},
    {"AIA", "AI", "Anguilla"},
    {"ATA", "AQ", "Antarctica"},
    {"ATG", "AG", "Antigua and Barbuda"},
    {"ARG", "AR", "Argentina"},
    {"ARM", "AM", "Armenia"},
    {"ABW", "AW", "Aruba"},
    {"AUS", "AU", "Australia"},
    {"AUT", "AT", "Austria"},
    {"AZE", "AZ", "Azerbaijan"},
    {"BHS", "BS", "Bahamas"},
    {"BHR", "BH", "Bahrain"},
    {"BGD", "BD", "Bangladesh"},
    {"BRB", "BB", "Barbados"},
    {"BLR", "BY", "Belarus"},
    {"BEL", "BE", "Belgium"},
    {"BLZ", "BZ", "Belize"},
    {"BEN", "BJ", "Benin"},
    {"BMU", "BM", "Bermuda"},
    {"BTN", "BT", "Bhutan"},
    {"BOL", "BO", "Bolivia"},
    {"BES", "BQ", "Bonaire, Sint Eustatius and Saba"},
    {"BIH", "BA", "Bosnia and Herzegovina"},
    {"BWA", "BW", "Botswana"},
    {"BVT", "BV", "Bouvet Island"},
    {"BRA", "BR", "Brazil"},
    {"IOT", "IO", "British Indian Ocean Territory"},
    {"BRN", "BN", "Brunei Darussalam"},
    {"BGR", "BG", "Bulgaria"},
    {"BFA", "BF", "Burkina Faso"},
    {"BDI", "BI", "Burundi"},
    {"CPV", "CV", "Cabo Verde"},
    {"KHM", "KH", "Cambodia"},
    {"CMR", "CM", "Cameroon"},
    {"CAN", "CA", "Canada"},
    {"CYM", "KY", "Cayman Islands"},
    {"CAF", "CF", "Central African Republic"},
    {"TCD", "TD", "Chad"},
    {"CHL", "CL", "Chile"},
    {"CHN", "CN", "China"},
    {"CXR", "CX", "Christmas Island"},
    {"CCK", "CC", "Cocos (Keeling) Islands"},
    {"COL", "CO", "Colombia"},
    {"COM", "KM", "Comoros"},
    {"COG", "CG", "Congo"},
    {"COD", "CD", "Democratic Republic of the Congo"},
    {"COK", "CK", "Cook Islands"},
    {"CRI", "CR", "Costa Rica"},
    {"CIV", "CI", "Côte d'Ivoire"},
    {"HRV", "HR", "Croatia"},
    {"CUB", "CU", "Cuba"},
    {"CUW", "CW", "Curaçao"},
    {"CYP", "CY", "Cyprus"},
    {"CZE", "CZ", "Czechia"},
    {"DNK", "DK", "Denmark"},
    {"DJI", "DJ", "Djibouti"},
    {"DMA", "DM", "Dominica"},
    {"DOM", "DO", "Dominican Republic"},
    {"ECU", "EC", "Ecuador"},
    {"EGY", "EG", "Egypt"},
    {"SLV", "SV", "El Salvador"},
    {"GNQ", "GQ", "Equatorial Guinea"},
    {"ERI", "ER", "Eritrea"},
    {"EST", "EE", "Estonia"},
    {"SWZ", "SZ", "Eswatini"},
    {"ETH", "ET", "Ethiopia"},
    {"FLK", "FK", "Falkland Islands"},
    {"FRO", "FO", "Faroe Islands"},
    {"FJI", "FJ", "Fiji"},
    {"FIN", "FI", "Finland"},
    {"FRA", "FR", "France"},
    {"GUF", "GF", "French Guiana"},
    {"PYF", "PF", "French Polynesia"},
    {"ATF", "TF", "French Southern Territories"},
    {"GAB", "GA", "Gabon"},
    {"GMB", "GM", "Gambia"},
    {"GEO", "GE", "Georgia"},
    {"DEU", "DE", "Germany"},
    {"GHA", "GH", "Ghana"},
    {"GIB", "GI", "Gibraltar"},
    {"GRC", "GR", "Greece"},
    {"GRL", "GL", "Greenland"},
    {"GRD", "GD", "Grenada"},
    {"GLP", "GP", "Guadeloupe"},
    {"GUM", "GU", "Guam"},
    {"GTM", "GT", "Guatemala"},
    {"GGY", "GG", "Guernsey"},
    {"GIN", "GN", "Guinea"},
    {"GNB", "GW", "Guinea-Bissau"},
    {"GUY", "GY", "Guyana"},
    {"HTI", "HT", "Haiti"},
    {"HMD", "HM", "Heard Island and McDonald Islands"},
    {"VAT", "VA", "Holy See"},
    {"HND", "HN", "Honduras"},
    {"HKG", "HK", "Hong Kong"},
    {"HUN", "HU", "Hungary"},
    {"ISL", "IS", "Iceland"},
    {"IND", "IN", "India"},
    {"IDN", "ID", "Indonesia"},
    {"IRN", "IR", "Iran"},
    {"IRQ", "IQ", "Iraq"},
    {"IRL", "IE", "Ireland"},
    {"IMN", "IM", "Isle of Man"},
    {"ISR", "IL", "Israel"},
    {"ITA", "IT", "Italy"},
    {"JAM", "JM", "Jamaica"},
    {"JPN", "JP", "Japan"},
    {"JEY", "JE", "Jersey"},
    {"JOR", "JO", "Jordan"},
    {"KAZ", "KZ", "Kazakhstan"},
    {"KEN", "KE", "Kenya"},
    {"KIR", "KI", "Kiribati"},
    {"PRK", "KP", "North Korea"},
    {"KOR", "KR", "South Korea"},
    {"XKX", "XK", "Kosovo"},
    {"KWT", "KW", "Kuwait"},
    {"KGZ", "KG", "Kyrgyzstan"},
    {"LAO", "LA", "Laos"},
    {"LVA", "LV", "Latvia"},
    {"LBN", "LB", "Lebanon"},
    {"LSO", "LS", "Lesotho"},
    {"LBR", "LR", "Liberia"},
    {"LBY", "LY", "Libya"},
    {"LIE", "LI", "Liechtenstein"},
    {"LTU", "LT", "Lithuania"},
    {"LUX", "LU", "Luxembourg"},
    {"MAC", "MO", "Macao"},
    {"MDG", "MG", "Madagascar"},
    {"MWI", "MW", "Malawi"},
    {"MYS", "MY", "Malaysia"},
    {"MDV", "MV", "Maldives"},
    {"MLI", "ML", "Mali"},
    {"MLT", "MT", "Malta"},
    {"MHL", "MH", "Marshall Islands"},
    {"MTQ", "MQ", "Martinique"},
    {"MRT", "MR", "Mauritania"},
    {"MUS", "MU", "Mauritius"},
    {"MYT", "YT", "Mayotte"},
    {"MEX", "MX", "Mexico"},
    {"FSM", "FM", "Micronesia"},
    {"MDA", "MD", "Moldova"},
    {"MCO", "MC", "Monaco"},
    {"MNG", "MN", "Mongolia"},
    {"MNE", "ME", "Montenegro"},
    {"MSR", "MS", "Montserrat"},
    {"MAR", "MA", "Morocco"},
    {"MOZ", "MZ", "Mozambique"},
    {"MMR", "MM", "Myanmar"},
    {"NAM", "NA", "Namibia"},
    {"NRU", "NR", "Nauru"},
    {"NPL", "NP", "Nepal"},
    {"NLD", "NL", "Netherlands"},
    {"NCL", "NC", "New Caledonia"},
    {"NZL", "NZ", "New Zealand"},
    {"NIC", "NI", "Nicaragua"},
    {"NER", "NE", "Niger"},
    {"NGA", "NG", "Nigeria"},
    {"NIU", "NU", "Niue"},
    {"NFK", "NF", "Norfolk Island"},
    {"MKD", "MK", "North Macedonia"},
    {"MNP", "MP", "Northern Mariana Islands"},
    {"NOR", "NO", "Norway"},
    {"OMN", "OM", "Oman"},
    {"PAK", "PK", "Pakistan"},
    {"PLW", "PW", "Palau"},
    {"PSE", "PS", "Palestine"},
    {"PAN", "PA", "Panama"},
    {"PNG", "PG", "Papua New Guinea"},
    {"PRY", "PY", "Paraguay"},
    {"PER", "PE", "Peru"},
    {"PHL", "PH", "Philippines"},
    {"PCN", "PN", "Pitcairn"},
    {"POL", "PL", "Poland"},
    {"PRT", "PT", "Portugal"},
    {"PRI", "PR", "Puerto Rico"},
    {"QAT", "QA", "Qatar"},
    {"REU", "RE", "Réunion"},
    {"ROU", "RO", "Romania"},
    {"RUS", "RU", "Russia"},
    {"RWA", "RW", "Rwanda"},
    {"BLM", "BL", "Saint Barthélemy"},
    {"SHN", "SH", "Saint Helena, Ascension and Tristan da Cunha"},
    {"KNA", "KN", "Saint Kitts and Nevis"},
    {"LCA", "LC", "Saint Lucia"},
    {"MAF", "MF", "Saint Martin"},
    {"SPM", "PM", "Saint Pierre and Miquelon"},
    {"VCT", "VC", "Saint Vincent and the Grenadines"},
    {"WSM", "WS", "Samoa"},
    {"SMR", "SM", "San Marino"},
    {"STP", "ST", "Sao Tome and Principe"},
    {"SAU", "SA", "Saudi Arabia"},
    {"SEN", "SN", "Senegal"},
    {"SRB", "RS", "Serbia"},
    {"SYC", "SC", "Seychelles"},
    {"SLE", "SL", "Sierra Leone"},
    {"SGP", "SG", "Singapore"},
    {"SXM", "SX", "Sint Maarten"},
    {"SVK", "SK", "Slovakia"},
    {"SVN", "SI", "Slovenia"},
    {"SLB", "SB", "Solomon Islands"},
    {"SOM", "SO", "Somalia"},
    {"ZAF", "ZA", "South Africa"},
    {"SGS", "GS", "South Georgia and the South Sandwich Islands"},
    {"SSD", "SS", "South Sudan"},
    {"ESP", "ES", "Spain"},
    {"LKA", "LK", "Sri Lanka"},
    {"SDN", "SD", "Sudan"},
    {"SUR", "SR", "Suriname"},
    {"SJM", "SJ", "Svalbard and Jan Mayen"},
    {"SWE", "SE", "Sweden"},
    {"CHE", "CH", "Switzerland"},
    {"SYR", "SY", "Syria"},
    {"TWN", "TW", "Taiwan"},
    {"TJK", "TJ", "Tajikistan"},
    {"TZA", "TZ", "Tanzania"},
    {"THA", "TH", "Thailand"},
    {"TLS", "TL", "Timor-Leste"},
    {"TGO", "TG", "Togo"},
    {"TKL", "TK", "Tokelau"},
    {"TON", "TO", "Tonga"},
    {"TTO", "TT", "Trinidad and Tobago"},
    {"TUN", "TN", "Tunisia"},
    {"TUR", "TR", "Türkiye"},
    {"TKM", "TM", "Turkmenistan"},
    {"TCA", "TC", "Turks and Caicos Islands"},
    {"TUV", "TV", "Tuvalu"},
    {"UGA", "UG", "Uganda"},
    {"UKR", "UA", "Ukraine"},
    {"ARE", "AE", "United Arab Emirates"},
    {"GBR", "GB", "United Kingdom"},
    {"USA", "US", "United States"},
    {"UMI", "UM", "United States Minor Outlying Islands"},
    {"URY", "UY", "Uruguay"},
    {"UZB", "UZ", "Uzbekistan"},
    {"VUT", "VU", "Vanuatu"},
    {"VEN", "VE", "Venezuela"},
    {"VNM", "VN", "Viet Nam"},
    {"VGB", "VG", "British Virgin Islands"},
    {"VIR", "VI", "US Virgin Islands"},
    {"WLF", "WF", "Wallis and Futuna"},
    {"ESH", "EH", "Western Sahara"},
    {"YEM", "YE", "Yemen"},
    {"ZMB", "ZM", "Zambia"},
    {"ZWE", "ZW", "Zimbabwe"},
};

// The countries of the protocol's country filter, by their two-letter codes.
constexpr std::array<std::string_view, 17> kFilterCodes = {
    "AT", "BE", "DK", "FI", "FR", "DE", "GR", "IE", "IM", "IT", "LU", "MC", "NL", "PT", "ES", "SE", "GB"};

constexpr size_t kLetters = 26;

// The countries by their codes of `Length` capital letters, read as numbers to base 26: every
// notice names its buyer's country, and most name more.
template <size_t Length>
class CodeIndex {
public:
    explicit CodeIndex(const char* IsoCountries::Country::*code) {
        positions_.fill(kNone);
        for (size_t i = 0; i < std::size(kCountries); ++i)
            positions_[*Key(kCountries[i].*code)] = static_cast<int16_t>(i);
    }

    const IsoCountries::Country* Find(std::string_view code) const {
        const auto key = Key(code);
        if (!key || positions_[*key] == kNone) return nullptr;
        return &kCountries[positions_[*key]];
    }

private:
    static constexpr int16_t kNone = -1;

    static constexpr size_t Codes() {
        size_t codes = 1;
        for (size_t i = 0; i < Length; ++i)
            codes *= kLetters;
        return codes;
    }

    static std::optional<size_t> Key(std::string_view code) {
        if (code.size() != Length) return std::nullopt;
        size_t key = 0;
        for (char c : code) {
            if (c < 'A' || c > 'Z') return std::nullopt;
            key = key * kLetters + static_cast<size_t>(c - 'A');
        }
        return key;
    }

    std::array<int16_t, Codes()> positions_;
};

} // namespace

const IsoCountries::Country* IsoCountries::ByAlpha3(std::string_view code) {
    static const CodeIndex<3> index(&Country::alpha3);
    return index.Find(code);
}

const IsoCountries::Country* IsoCountries::ByAlpha2(std::string_view code) {
    static const CodeIndex<2> index(&Country::alpha2);
    return index.Find(code);
}

std::string_view IsoCountries::FilterCode(std::string_view alpha3) {
    const Country* country = ByAlpha3(alpha3);
    if (!country) return {};
    for (std::string_view code : kFilterCodes)
        if (code == country->alpha2) return code;
    return {};
}

} // namespace qv::server
