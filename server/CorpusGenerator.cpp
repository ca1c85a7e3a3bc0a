#include "server/CorpusGenerator.h"

#include "framework/DateTime.h"
#include "framework/Format.h"
#include "server/NoticeVocabulary.h"
#include "server/PasswordHash.h"
#include "server/SeededRandom.h"

#include <map>

namespace qv::server {

namespace {

std::string Fill(std::string text, std::string_view mark, const std::string& value) {
    for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + value.size()))
        text.replace(at, mark.size(), value);
    return text;
}

std::string Lowered(std::string text) {
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z') text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text;
}

std::string Thousands(long long value) {
    std::string digits = std::to_string(value);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<size_t>(at), ",");
    return digits;
}

const CountryWords& PickCountry(SeededRandom& random) {
    int total = 0;
    for (const auto& country : Countries())
        total += country.weight;
    int ticket = random.Below(total);
    for (const auto& country : Countries()) {
        if (ticket < country.weight) return country;
        ticket -= country.weight;
    }
    return Countries().back();
}

Tender MakeTender(SeededRandom& random, int64_t id, int day) {
    const CountryWords& country = PickCountry(random);
    const std::string& town = random.Pick(country.towns);
    const ContractObject& object = random.Pick(ContractObjects());
    const std::string authority =
        Fill(random.Below(3) == 0 ? random.Pick(AuthorityPatterns()) : country.municipality, "{town}", town);
    // Values spread over four orders of magnitude, as real notices do.
    long long value = random.Between(10, 99);
    for (int scale = random.Between(3, 6); scale > 0; --scale)
        value *= 10;

    std::string description = "The contracting authority intends to award a contract for " +
                              Lowered(object.title) + " in " + town + " and its surroundings.";
    for (int extra = random.Below(3); extra > 0; --extra)
        description += " " + Fill(random.Pick(ExtraSentences()), "{n}", std::to_string(random.Between(2, 6)));

    Tender tender;
    tender.id = id;
    tender.country = country.code;
    tender.day = day;
    tender.title = country.name + "-" + town + ": " + object.title;
    tender.text =
        tender.title + "\n" + "Contract notice\n" + "\n" + "Section I: Contracting authority\n" +
        "I.1) Name and addresses: " + authority + ", " + random.Pick(country.streets) + " " +
        std::to_string(random.Between(1, 120)) + ", " + std::to_string(random.Between(1000, 9999)) + " " +
        town + ", " + country.name + "\n" + "Contact: procurement office, tel. +" +
        std::to_string(random.Between(30, 46)) + " " + std::to_string(random.Between(1000000, 9999999)) +
        "\n" + "\n" + "Section II: Object\n" + "II.1.1) Title: " + object.title + "\n" +
        "II.1.2) Main CPV code: " + object.cpv + "\n" + "II.1.3) Type of contract: " + object.kind + "\n" +
        "II.1.4) Short description: " + description + "\n" +
        "II.1.5) Estimated total value excluding VAT: " + Thousands(value) + " EUR\n" +
        "II.2.7) Duration of the contract: " + std::to_string(random.Between(6, 48)) + " months\n" + "\n" +
        "Section IV: Procedure\n" + "IV.1.1) Type of procedure: " + random.Pick(Procedures()) + "\n" +
        "IV.2.2) Time limit for receipt of tenders: {D+" + std::to_string(random.Between(20, 52)) + "}\n" +
        "\n" + "Date of dispatch of this notice: {D+0}\n";
    return tender;
}

} // namespace

std::string DemoAccount::KeywordList() const {
    std::string joined;
    for (size_t i = 0; i < keywords.size(); ++i)
        joined += (i ? "," : "") + keywords[i];
    return joined;
}

int CorpusGenerator::PublishedOn(int age, SeededRandom& random) const {
    if (count_ == 0) return age == 0 ? kPublishedToday : random.Between(kDailyLow, kDailyHigh);
    // The oldest day is day 0 of the spread; each day takes its share of the count.
    const int64_t index = kSpreadDays - 1 - age;
    return static_cast<int>((index + 1) * count_ / kSpreadDays - index * count_ / kSpreadDays);
}

void CorpusGenerator::Generate(const std::function<void(const Tender&)>& sink) const {
    SeededRandom random(seed_);
    int64_t id = 0;
    for (int age = (count_ == 0 ? kDays : kSpreadDays) - 1; age >= 0; --age) {
        const int count = PublishedOn(age, random);
        for (int i = 0; i < count; ++i)
            sink(MakeTender(random, ++id, -age));
    }
}

const std::vector<DemoAccount>& CorpusGenerator::DemoAccounts() {
    static const std::vector<DemoAccount> accounts = {
        {"demo@quorvane.example",
         "demo",
         "Anna Müller",
         "user",
         {"construction", "software", "medical equipment", "cleaning", "energy"}},
        {"ten@quorvane.example",
         "demo",
         "Jean-François Lefèvre",
         "user",
         {"construction", "software", "cleaning", "medical", "energy", "transport", "catering", "security",
          "printing", "consulting"}},
        {"none@quorvane.example", "demo", "Lena Sørensen", "user", {}},
    };
    return accounts;
}

std::vector<std::string> CorpusGenerator::DemoPasswordHashes() {
    std::map<std::string, std::string> byPassword;
    std::vector<std::string> hashes;
    for (const auto& demo : DemoAccounts()) {
        std::string& hash = byPassword[demo.password];
        if (hash.empty()) hash = HashPassword(demo.password);
        hashes.push_back(hash);
    }
    return hashes;
}

std::string ResolveNoticeDates(std::string_view text, int publicationDay) {
    std::string out;
    size_t pos = 0;
    for (size_t mark = text.find("{D+"); mark != std::string_view::npos; mark = text.find("{D+", pos)) {
        out.append(text.substr(pos, mark - pos));
        size_t end = mark + 3;
        int offset = 0;
        while (end < text.size() && end < mark + 6 && text[end] >= '0' && text[end] <= '9')
            offset = offset * 10 + (text[end++] - '0');
        if (end > mark + 3 && end < text.size() && text[end] == '}') {
            const auto date = framework::DecodeDate(publicationDay + offset);
            out += framework::Format("%02d/%02d/%04d", date.day, date.month, date.year);
            pos = end + 1;
        } else {
            out.append(text.substr(mark, end - mark));
            pos = end;
        }
    }
    out.append(text.substr(pos));
    return out;
}

} // namespace qv::server
