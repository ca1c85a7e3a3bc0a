#include "server/import/NoticeFormatter.h"

#include "framework/DateTime.h"
#include "framework/Format.h"
#include "server/import/IsoCountries.h"
#include "server/import/XsDate.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <utility>

namespace qv::server {

namespace {

constexpr std::pair<std::string_view, std::string_view> kTypeNames[] = {
    {"pin-only", "Prior information notice"},
    {"pin-buyer", "Prior information notice (buyer profile)"},
    {"pin-rtl", "Prior information notice used to shorten time limits"},
    {"pin-tran", "Prior information notice for public passenger transport"},
    {"pin-cfc-standard", "Prior information notice used as a call for competition"},
    {"pin-cfc-social", "Prior information notice used as a call for competition (light regime)"},
    {"qu-sy", "Notice on the existence of a qualification system"},
    {"cn-standard", "Contract notice"},
    {"cn-social", "Contract notice (light regime)"},
    {"cn-desg", "Design contest notice"},
    {"subco", "Subcontracting notice"},
    {"veat", "Voluntary ex-ante transparency notice"},
    {"can-standard", "Contract award notice"},
    {"can-social", "Contract award notice (light regime)"},
    {"can-desg", "Design contest result notice"},
    {"can-tran", "Contract award notice for public passenger transport"},
    {"can-modif", "Contract modification notice"},
    {"pmc", "Pre-market consultation notice"},
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Appends the text with its runs of blanks and line breaks made one blank, none at either end.
void AppendOneLine(std::string& out, std::string_view text) {
    const size_t start = out.size();
    size_t i = 0;
    for (;;) {
        while (i < text.size() && IsBlank(text[i]))
            ++i;
        if (i == text.size()) return;
        const size_t word = i;
        while (i < text.size() && !IsBlank(text[i]))
            ++i;
        if (out.size() > start) out += ' ';
        out.append(text, word, i - word);
    }
}

// The text on one line.
std::string OneLine(std::string_view text) {
    std::string line;
    AppendOneLine(line, text);
    return line;
}

// Paragraphs keep their line breaks, as "\n"; each line is put on one line of its own.
std::string Paragraphs(std::string_view text) {
    std::string out;
    size_t begin = 0;
    while (begin <= text.size()) {
        const auto lineEnd = std::find_if(text.begin() + static_cast<std::ptrdiff_t>(begin), text.end(),
                                          [](char c) { return c == '\r' || c == '\n'; });
        const auto end = static_cast<size_t>(lineEnd - text.begin());
        if (!out.empty()) out += '\n';
        AppendOneLine(out, text.substr(begin, end - begin));
        begin = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return out;
}

// At most `limit` characters of UTF-8 text, never cutting a character in two.
std::string Shortened(const std::string& text, size_t limit) {
    size_t characters = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
        if (++characters > limit) return text.substr(0, i) + "...";
    }
    return text;
}

std::string CountryName(const std::string& alpha3) {
    const IsoCountries::Country* country = IsoCountries::ByAlpha3(alpha3);
    return country ? country->name : alpha3;
}

void Join(std::string& text, const std::string& separator, const std::string& part) {
    if (part.empty()) return;
    if (!text.empty()) text += separator;
    text += part;
}

std::string AddressText(const EformsNotice::Address& address, bool withRegion) {
    std::string text;
    Join(text, ", ", OneLine(address.street));
    std::string town;
    Join(town, " ", OneLine(address.postcode));
    Join(town, " ", OneLine(address.town));
    Join(text, ", ", town);
    if (withRegion) Join(text, ", ", address.region);
    Join(text, ", ", CountryName(address.country));
    Join(text, ", ", OneLine(address.description));
    return text;
}

// "1,250,000.50 EUR" for "1250000.50" with the currency "EUR"; other text as it stands.
std::string AmountText(const EformsNotice::Amount& amount) {
    if (amount.value.empty()) return {};
    const size_t point = amount.value.find('.');
    const std::string digits = amount.value.substr(0, point);
    const bool number = !digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos;
    std::string whole;
    if (number)
        for (size_t i = 0; i < digits.size(); ++i) {
            if (i > 0 && (digits.size() - i) % 3 == 0) whole += ',';
            whole += digits[i];
        }
    std::string text = number && point != std::string::npos ? whole + amount.value.substr(point)
                       : number                             ? whole
                                                            : amount.value;
    Join(text, " ", amount.currency);
    return text;
}

void Line(std::string& text, const char* label, const std::string& value) {
    if (!value.empty()) text += std::string(label) + ": " + value + "\n";
}

} // namespace

std::string NoticeFormatter::TypeName(const EformsNotice& notice) {
    for (const auto& [code, name] : kTypeNames)
        if (notice.typeCode == code) return std::string(name);
    if (notice.form == "ContractAwardNotice") return "Contract award notice";
    if (notice.form == "PriorInformationNotice") return "Prior information notice";
    return "Contract notice";
}

Tender NoticeFormatter::Format(const EformsNotice& notice) {
    const std::string type = TypeName(notice);
    const std::string title = notice.title.empty() ? type : OneLine(notice.title);
    const std::string town = OneLine(notice.buyerAddress.town);
    std::string place =
        notice.buyerAddress.country.empty() ? std::string() : CountryName(notice.buyerAddress.country);
    Join(place, "-", town);

    Tender tender;
    tender.country = std::string(IsoCountries::FilterCode(notice.buyerAddress.country));
    // The reader takes no notice without a valid issue date.
    const framework::DateParts issued = XsDate::Parse(notice.issueDate).value();
    tender.day = static_cast<int>(std::floor(framework::EncodeDate(issued.year, issued.month, issued.day)));
    tender.title = Shortened(place.empty() ? title : place + ": " + title, kMaxTitleCharacters);

    std::string text = tender.title + "\n" + type + "\n\n";
    Line(text, "Notice title", title);
    Line(text, "Notice type", type);
    if (!notice.changedIdentifier.empty()) {
        Line(text, "Changes the notice", notice.changedIdentifier);
        Line(text, "Changes", Paragraphs(notice.changeDescription));
    }
    Line(text, "Buyer", OneLine(notice.buyerName));
    Line(text, "Address", AddressText(notice.buyerAddress, false));
    text += "\n";
    Line(text, "Description", Paragraphs(notice.description));
    Line(text, "Main CPV code", notice.mainCpv);
    std::string additional;
    for (const auto& code : notice.additionalCpv)
        Join(additional, ", ", code);
    Line(text, "Additional CPV codes", additional);
    std::string places;
    for (const auto& location : notice.places)
        Join(places, "; ", AddressText(location, true));
    Line(text, "Place of performance", places);
    Line(text, "Estimated value excluding VAT", AmountText(notice.estimatedValue));
    if (!notice.deadlineDate.empty()) {
        std::string deadline = XsDate::FormatDate(notice.deadlineDate);
        Join(deadline, " ", XsDate::FormatTime(notice.deadlineTime));
        Line(text, "Time limit for receipt of tenders", deadline);
    }
    for (const auto& lot : notice.lots) {
        text += "\n";
        std::string heading = "Lot";
        Join(heading, " ", lot.id);
        Join(heading, ": ", OneLine(lot.title));
        text += heading + "\n";
        if (!lot.description.empty()) text += Paragraphs(lot.description) + "\n";
        Line(text, "Estimated value excluding VAT", AmountText(lot.estimatedValue));
    }
    text += "\n";
    Line(text, "Publication date", XsDate::FormatDate(notice.issueDate));
    Line(text, "Notice identifier",
         framework::Format("%s, version %02d", notice.identifier.c_str(), notice.version));
    tender.text = std::move(text);
    return tender;
}

} // namespace qv::server
