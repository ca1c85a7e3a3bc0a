#include "server/import/EformsNoticeReader.h"

#include "server/import/XmlElement.h"
#include "server/import/XsDate.h"

#include <algorithm>
#include <map>
#include <unordered_set>

namespace qv::server {

namespace {

constexpr const char* kEnglish = "ENG";
// Notices number their versions with two digits; a few more leave room without overflow.
constexpr size_t kMaxVersionDigits = 6;
// A longer number after the last dash of a changed notice's name is a part of its identifier.
constexpr size_t kMaxChangedVersionDigits = 3;

std::string Trimmed(std::string_view text) {
    const size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string_view::npos) return {};
    return std::string(text.substr(begin, text.find_last_not_of(" \t\r\n") - begin + 1));
}

std::string_view LocalName(std::string_view name) {
    const size_t cut = name.find_last_of(":}");
    return cut == std::string_view::npos ? name : name.substr(cut + 1);
}

std::optional<int> Version(std::string_view text) {
    if (text.empty() || text.size() > kMaxVersionDigits) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// The notice language and, when the notice also speaks English, English.
class LanguageChoice {
public:
    explicit LanguageChoice(const XmlElement& root)
        : own_(Trimmed(root.Child("cbc:NoticeLanguageCode").Text())) {
        preferred_ = own_;
        for (const auto& additional : root.Children("cac:AdditionalNoticeLanguage"))
            if (Trimmed(additional.Child("cbc:ID").Text()) == kEnglish) preferred_ = kEnglish;
    }

    // The text of the candidate in the preferred language, else in the notice's own, else the first.
    std::string Pick(const std::vector<XmlElement>& candidates) const {
        for (const std::string& language : {preferred_, own_})
            for (const auto& candidate : candidates)
                if (candidate.Attribute("languageID") == language) return Trimmed(candidate.Text());
        return candidates.empty() ? std::string() : Trimmed(candidates.front().Text());
    }
    std::string Pick(const XmlElement& parent, std::string_view name) const {
        return Pick(parent.Children(name));
    }

private:
    std::string own_;
    std::string preferred_;
};

class NoticeReading {
public:
    NoticeReading(const XmlElement& root, EformsNotice& notice)
        : root_(root), notice_(notice), languages_(root) {
        for (const auto& extension : root.Child("ext:UBLExtensions").Children("ext:UBLExtension"))
            if (const auto found = extension.Child("ext:ExtensionContent").Child("efext:EformsExtension")) {
                eforms_ = found;
                break;
            }
        for (const auto& organization : eforms_.Child("efac:Organizations").Children("efac:Organization")) {
            const XmlElement company = organization.Child("efac:Company");
            companies_.emplace(Trimmed(company.Child("cac:PartyIdentification").Child("cbc:ID").Text()),
                               company);
        }
    }

    void Read() {
        ReadIdentity();
        ReadBuyer();
        const XmlElement project = root_.Child("cac:ProcurementProject");
        notice_.title = languages_.Pick(project, "cbc:Name");
        notice_.description = languages_.Pick(project, "cbc:Description");
        notice_.estimatedValue = ReadAmount(project);
        notice_.mainCpv = Trimmed(Cpv(project.Child("cac:MainCommodityClassification")));
        AddCpvCodes(project, false);
        AddPlaces(project);
        AddDeadline(root_.Child("cac:TenderingProcess"));
        for (const auto& lot : root_.Children("cac:ProcurementProjectLot")) {
            const XmlElement id = lot.Child("cbc:ID");
            // Groups of lots repeat what their lots say.
            if (id.Attribute("schemeName") == "LotsGroup") continue;
            const XmlElement lotProject = lot.Child("cac:ProcurementProject");
            notice_.lots.push_back({Trimmed(id.Text()), languages_.Pick(lotProject, "cbc:Name"),
                                    languages_.Pick(lotProject, "cbc:Description"), ReadAmount(lotProject)});
            if (notice_.mainCpv.empty())
                notice_.mainCpv = Trimmed(Cpv(lotProject.Child("cac:MainCommodityClassification")));
            AddCpvCodes(lotProject, true);
            AddDeadline(lot.Child("cac:TenderingProcess"));
        }
        if (notice_.places.empty())
            for (const auto& lot : root_.Children("cac:ProcurementProjectLot"))
                AddPlaces(lot.Child("cac:ProcurementProject"));
        const auto main =
            std::find(notice_.additionalCpv.begin(), notice_.additionalCpv.end(), notice_.mainCpv);
        if (main != notice_.additionalCpv.end()) notice_.additionalCpv.erase(main);
    }

private:
    void ReadIdentity() {
        const XmlElement id = root_.Child("cbc:ID");
        notice_.identifier = Trimmed(id.Text());
        if (notice_.identifier.empty()) throw ENoticeError("not an eForms notice: no notice identifier");
        if (const XmlElement version = root_.Child("cbc:VersionID")) {
            const auto number = Version(Trimmed(version.Text()));
            if (!number)
                throw ENoticeError("the version \"" + Trimmed(version.Text()) + "\" is not a number");
            notice_.version = *number;
        }
        notice_.issueDate = Trimmed(root_.Child("cbc:IssueDate").Text());
        if (!XsDate::Parse(notice_.issueDate))
            throw ENoticeError("the issue date \"" + notice_.issueDate + "\" is not a date");
        notice_.typeCode = Trimmed(root_.Child("cbc:NoticeTypeCode").Text());

        const XmlElement changes = eforms_.Child("efac:Changes");
        const std::string changed = Trimmed(changes.Child("efbc:ChangedNoticeIdentifier").Text());
        if (changed.empty()) return;
        // The changed notice is named with its version: "<identifier>-<version>".
        const size_t dash = changed.rfind('-');
        const std::string suffix = dash == std::string::npos ? std::string() : changed.substr(dash + 1);
        const auto version = suffix.size() <= kMaxChangedVersionDigits ? Version(suffix) : std::nullopt;
        if (version && dash > 0) {
            notice_.changedIdentifier = changed.substr(0, dash);
            notice_.changedVersion = *version;
        } else {
            notice_.changedIdentifier = changed;
        }
        std::vector<XmlElement> descriptions;
        for (const auto& change : changes.Children("efac:Change"))
            for (const auto& description : change.Children("efbc:ChangeDescription"))
                descriptions.push_back(description);
        notice_.changeDescription = languages_.Pick(descriptions);
    }

    void ReadBuyer() {
        for (const auto& party : root_.Children("cac:ContractingParty")) {
            const XmlElement reference = party.Child("cac:Party");
            const auto company =
                companies_.find(Trimmed(reference.Child("cac:PartyIdentification").Child("cbc:ID").Text()));
            // A notice without the organisations extension describes the party in place.
            const XmlElement buyer = company != companies_.end() ? company->second : reference;
            std::vector<XmlElement> names;
            for (const auto& partyName : buyer.Children("cac:PartyName"))
                for (const auto& name : partyName.Children("cbc:Name"))
                    names.push_back(name);
            if (names.empty()) continue;
            notice_.buyerName = languages_.Pick(names);
            notice_.buyerAddress = ReadAddress(buyer.Child("cac:PostalAddress"));
            return;
        }
    }

    static EformsNotice::Address ReadAddress(const XmlElement& address) {
        EformsNotice::Address read;
        std::vector<std::string> street;
        for (const char* name : {"cbc:StreetName", "cbc:AdditionalStreetName"})
            if (auto part = Trimmed(address.Child(name).Text()); !part.empty())
                street.push_back(std::move(part));
        for (const auto& line : address.Children("cac:AddressLine"))
            if (auto part = Trimmed(line.Child("cbc:Line").Text()); !part.empty())
                street.push_back(std::move(part));
        for (const auto& part : street)
            read.street += (read.street.empty() ? "" : ", ") + part;
        read.postcode = Trimmed(address.Child("cbc:PostalZone").Text());
        read.town = Trimmed(address.Child("cbc:CityName").Text());
        read.region = Trimmed(address.Child("cbc:CountrySubentityCode").Text());
        read.country = Trimmed(address.Child("cac:Country").Child("cbc:IdentificationCode").Text());
        return read;
    }

    static EformsNotice::Amount ReadAmount(const XmlElement& project) {
        const XmlElement amount =
            project.Child("cac:RequestedTenderTotal").Child("cbc:EstimatedOverallContractAmount");
        return {Trimmed(amount.Text()), Trimmed(amount.Attribute("currencyID"))};
    }

    // Codes of other classifications than CPV are left out.
    static std::string_view Cpv(const XmlElement& classification) {
        const XmlElement code = classification.Child("cbc:ItemClassificationCode");
        const std::string_view list = code.Attribute("listName");
        return list.empty() || list == "cpv" ? code.Text() : std::string_view();
    }

    void AddCpvCodes(const XmlElement& project, bool withMain) {
        if (withMain) AddCpvCode(project.Child("cac:MainCommodityClassification"));
        for (const auto& classification : project.Children("cac:AdditionalCommodityClassification"))
            AddCpvCode(classification);
    }

    void AddCpvCode(const XmlElement& classification) {
        std::string code = Trimmed(Cpv(classification));
        if (!code.empty() && cpvCodes_.insert(code).second) notice_.additionalCpv.push_back(std::move(code));
    }

    void AddPlaces(const XmlElement& project) {
        for (const auto& location : project.Children("cac:RealizedLocation")) {
            EformsNotice::Address place = ReadAddress(location.Child("cac:Address"));
            place.description = languages_.Pick(location, "cbc:Description");
            notice_.places.push_back(std::move(place));
        }
    }

    void AddDeadline(const XmlElement& process) {
        const XmlElement period = process.Child("cac:TenderSubmissionDeadlinePeriod");
        std::string date = Trimmed(period.Child("cbc:EndDate").Text());
        std::string time = Trimmed(period.Child("cbc:EndTime").Text());
        if (date.empty()) return;
        // Dates and times in the same zone order as their text does. Compared in place: a notice
        // may hold many lots, each with a long text.
        const auto key = [](std::string_view day, std::string_view clock) {
            return std::pair(day.substr(0, 10), clock);
        };
        if (notice_.deadlineDate.empty() ||
            key(date, time) < key(notice_.deadlineDate, notice_.deadlineTime)) {
            notice_.deadlineDate = std::move(date);
            notice_.deadlineTime = std::move(time);
        }
    }

    const XmlElement root_;
    EformsNotice& notice_;
    const LanguageChoice languages_;
    XmlElement eforms_;
    std::map<std::string, XmlElement, std::less<>> companies_;
    std::unordered_set<std::string> cpvCodes_;
};

} // namespace

const XmlDocument::Prefixes& EformsNoticeReader::Namespaces() {
    const auto ubl = [](std::string_view name) { return std::string(kUblNamespaceRoot) + std::string(name); };
    static const XmlDocument::Prefixes prefixes = {
        {ubl("CommonBasicComponents-2"), "cbc"},
        {ubl("CommonAggregateComponents-2"), "cac"},
        {ubl("CommonExtensionComponents-2"), "ext"},
        {"http://data.europa.eu/p27/eforms-ubl-extension-basic-components/1", "efbc"},
        {"http://data.europa.eu/p27/eforms-ubl-extension-aggregate-components/1", "efac"},
        {"http://data.europa.eu/p27/eforms-ubl-extensions/1", "efext"},
        {ubl("ContractNotice-2"), "cn"},
        {ubl("ContractAwardNotice-2"), "can"},
        {ubl("PriorInformationNotice-2"), "pin"},
    };
    return prefixes;
}

EformsNotice EformsNoticeReader::Read(const XmlDocument& document) {
    const XmlElement root = XmlElement::Root(document);
    const std::string_view name = root.Name();
    if (name != "cn:ContractNotice" && name != "can:ContractAwardNotice" &&
        name != "pin:PriorInformationNotice")
        throw ENoticeError("not an eForms notice (root element " + std::string(LocalName(name)) + ")");
    EformsNotice notice;
    notice.form = std::string(LocalName(name));
    NoticeReading(root, notice).Read();
    return notice;
}

EformsNotice EformsNoticeReader::Read(std::string_view bytes) {
    document_.Parse(bytes);
    return Read(document_);
}

} // namespace qv::server
