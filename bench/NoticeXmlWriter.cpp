#include "bench/NoticeXmlWriter.h"

#include "framework/DateTime.h"
#include "framework/Format.h"
#include "server/NoticeVocabulary.h"
#include "server/SeededRandom.h"
#include "server/import/EformsNoticeReader.h"
#include "server/import/IsoCountries.h"

#include <string_view>

namespace qv::bench {

namespace {

using server::SeededRandom;

// The root element with the namespaces of eForms notices, the notice's own as the default.
std::string NoticeHead() {
    std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ContractNotice xmlns=\"" +
                       std::string(server::EformsNoticeReader::kUblNamespaceRoot) + "ContractNotice-2\"";
    for (const auto& [uri, prefix] : server::EformsNoticeReader::Namespaces())
        head += "\n    xmlns:" + prefix + "=\"" + uri + "\"";
    return head + ">\n";
}

// What every lot of an open procedure repeats: the terms and the criteria of the award.
constexpr const char* kLotTerms = R"(    <cac:TenderingTerms>
      <cbc:VariantConstraintCode listName="permission">not-allowed</cbc:VariantConstraintCode>
      <cbc:FundingProgramCode listName="eu-funded">no-eu-funds</cbc:FundingProgramCode>
      <cbc:RecurringProcurementIndicator>false</cbc:RecurringProcurementIndicator>
      <cac:TendererQualificationRequest>
        <cac:SpecificTendererRequirement>
          <cbc:TendererRequirementTypeCode listName="selection-criterion">sui-act</cbc:TendererRequirementTypeCode>
          <cbc:Description languageID="ENG">Registration in the relevant professional or trade register.</cbc:Description>
        </cac:SpecificTendererRequirement>
        <cac:SpecificTendererRequirement>
          <cbc:TendererRequirementTypeCode listName="selection-criterion">ef-stand</cbc:TendererRequirementTypeCode>
          <cbc:Description languageID="ENG">Yearly turnover over the last three financial years.</cbc:Description>
        </cac:SpecificTendererRequirement>
      </cac:TendererQualificationRequest>
      <cac:AwardingTerms>
        <cac:AwardingCriterion>
          <cac:SubordinateAwardingCriterion>
            <cbc:AwardingCriterionTypeCode listName="award-criterion-type">price</cbc:AwardingCriterionTypeCode>
            <cbc:Description languageID="ENG">Price</cbc:Description>
            <ext:UBLExtensions><ext:UBLExtension><ext:ExtensionContent><efext:EformsExtension>
              <efac:AwardCriterionParameter>
                <efbc:ParameterCode listName="number-weight">per-exa</efbc:ParameterCode>
                <efbc:ParameterNumeric>60</efbc:ParameterNumeric>
              </efac:AwardCriterionParameter>
            </efext:EformsExtension></ext:ExtensionContent></ext:UBLExtension></ext:UBLExtensions>
          </cac:SubordinateAwardingCriterion>
          <cac:SubordinateAwardingCriterion>
            <cbc:AwardingCriterionTypeCode listName="award-criterion-type">quality</cbc:AwardingCriterionTypeCode>
            <cbc:Description languageID="ENG">Quality of the technical offer and of the staff</cbc:Description>
            <ext:UBLExtensions><ext:UBLExtension><ext:ExtensionContent><efext:EformsExtension>
              <efac:AwardCriterionParameter>
                <efbc:ParameterCode listName="number-weight">per-exa</efbc:ParameterCode>
                <efbc:ParameterNumeric>40</efbc:ParameterNumeric>
              </efac:AwardCriterionParameter>
            </efext:EformsExtension></ext:ExtensionContent></ext:UBLExtension></ext:UBLExtensions>
          </cac:SubordinateAwardingCriterion>
        </cac:AwardingCriterion>
      </cac:AwardingTerms>
      <cac:AppealTerms><cac:AppealReceiverParty>
        <cac:PartyIdentification><cbc:ID schemeName="organization">ORG-0002</cbc:ID></cac:PartyIdentification>
      </cac:AppealReceiverParty></cac:AppealTerms>
      <cac:Language><cbc:ID>ENG</cbc:ID></cac:Language>
      <cac:PostAwardProcess><cbc:ElectronicOrderUsageIndicator>false</cbc:ElectronicOrderUsageIndicator>
        <cbc:ElectronicPaymentUsageIndicator>true</cbc:ElectronicPaymentUsageIndicator></cac:PostAwardProcess>
    </cac:TenderingTerms>
)";

std::string Escaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else
            out += c;
    }
    return out;
}

std::string Date(int day) {
    const auto date = framework::DecodeDate(day);
    return framework::Format("%04d-%02d-%02d+01:00", date.year, date.month, date.day);
}

std::string Organisation(const std::string& id, const std::string& name, const std::string& street,
                         const std::string& town, const std::string& country, SeededRandom& random) {
    return "      <efac:Organization><efac:Company>\n"
           "        <cac:PartyIdentification><cbc:ID schemeName=\"organization\">" +
           id +
           "</cbc:ID></cac:PartyIdentification>\n"
           "        <cac:PartyName><cbc:Name languageID=\"ENG\">" +
           Escaped(name) +
           "</cbc:Name></cac:PartyName>\n"
           "        <cac:PostalAddress>\n          <cbc:StreetName>" +
           Escaped(street) + " " + std::to_string(random.Between(1, 120)) +
           "</cbc:StreetName>\n          <cbc:CityName>" + Escaped(town) +
           "</cbc:CityName>\n          <cbc:PostalZone>" + std::to_string(random.Between(1000, 9999)) +
           "</cbc:PostalZone>\n          <cac:Country><cbc:IdentificationCode listName=\"country\">" +
           country +
           "</cbc:IdentificationCode></cac:Country>\n        </cac:PostalAddress>\n"
           "        <cac:PartyLegalEntity><cbc:CompanyID>" +
           std::to_string(random.Between(10000000, 99999999)) +
           "</cbc:CompanyID></cac:PartyLegalEntity>\n"
           "        <cac:Contact><cbc:Telephone>+" +
           std::to_string(random.Between(30, 46)) + " " + std::to_string(random.Between(1000000, 9999999)) +
           "</cbc:Telephone><cbc:ElectronicMail>procurement@example.org</cbc:ElectronicMail></cac:Contact>\n"
           "      </efac:Company></efac:Organization>\n";
}

std::string Classification(const char* element, const std::string& cpv) {
    return std::string("      <cac:") + element + "><cbc:ItemClassificationCode listName=\"cpv\">" + cpv +
           "</cbc:ItemClassificationCode></cac:" + element + ">\n";
}

} // namespace

std::string NoticeXmlWriter::Write(int index) {
    SeededRandom random(seed_ * 1000003 + static_cast<uint64_t>(index));
    const auto& country = random.Pick(server::Countries());
    const std::string alpha3 = server::IsoCountries::ByAlpha2(country.code)->alpha3;
    const std::string& town = random.Pick(country.towns);
    const auto& object = random.Pick(server::ContractObjects());
    std::string buyer = country.municipality;
    buyer.replace(buyer.find("{town}"), 6, town);
    const int issued = static_cast<int>(framework::EncodeDate(2024, 1, 1)) + random.Below(365);
    const long long value = static_cast<long long>(random.Between(10, 99)) * 10000 * random.Between(1, 100);

    std::string xml = NoticeHead();
    xml += "  <ext:UBLExtensions><ext:UBLExtension><ext:ExtensionContent><efext:EformsExtension>\n"
           "    <efac:NoticeSubType><cbc:SubTypeCode listName=\"notice-subtype\">16</cbc:SubTypeCode>"
           "</efac:NoticeSubType>\n    <efac:Organizations>\n";
    xml += Organisation("ORG-0001", buyer, random.Pick(country.streets), town, alpha3, random);
    xml += Organisation("ORG-0002", "Review Board of " + town, random.Pick(country.streets), town, alpha3,
                        random);
    xml += "    </efac:Organizations>\n  </efext:EformsExtension></ext:ExtensionContent></ext:UBLExtension>"
           "</ext:UBLExtensions>\n  <cbc:UBLVersionID>2.3</cbc:UBLVersionID>\n"
           "  <cbc:CustomizationID>eforms-sdk-1.10</cbc:CustomizationID>\n";
    xml += framework::Format("  <cbc:ID schemeName=\"notice-id\">%08x-%04x-4%03x-8%03x-%012llx</cbc:ID>\n",
                             static_cast<unsigned>(index), static_cast<unsigned>(seed_ & 0xFFFF),
                             static_cast<unsigned>(random.Below(4096)),
                             static_cast<unsigned>(random.Below(4096)),
                             static_cast<unsigned long long>(random.Next() & 0xFFFFFFFFFFFFull));
    xml += "  <cbc:IssueDate>" + Date(issued) +
           "</cbc:IssueDate>\n  <cbc:IssueTime>12:00:00+01:00</cbc:IssueTime>\n"
           "  <cbc:VersionID>01</cbc:VersionID>\n  <cbc:RegulatoryDomain>32014L0024</cbc:RegulatoryDomain>\n"
           "  <cbc:NoticeTypeCode listName=\"competition\">cn-standard</cbc:NoticeTypeCode>\n"
           "  <cbc:NoticeLanguageCode>ENG</cbc:NoticeLanguageCode>\n"
           "  <cac:ContractingParty>\n    <cac:ContractingPartyType><cbc:PartyTypeCode "
           "listName=\"buyer-legal-type\">"
           "ra</cbc:PartyTypeCode></cac:ContractingPartyType>\n    <cac:Party><cac:PartyIdentification>"
           "<cbc:ID schemeName=\"organization\">ORG-0001</cbc:ID></cac:PartyIdentification></cac:Party>\n"
           "  </cac:ContractingParty>\n  <cac:TenderingProcess>\n"
           "    <cbc:ProcedureCode listName=\"procurement-procedure-type\">open</cbc:ProcedureCode>\n"
           "  </cac:TenderingProcess>\n  <cac:ProcurementProject>\n";
    xml +=
        "    <cbc:ID schemeName=\"InternalID\">" + std::to_string(random.Between(1000, 9999)) + "/" +
        std::to_string(index) + "</cbc:ID>\n    <cbc:Name languageID=\"ENG\">" + Escaped(object.title) +
        "</cbc:Name>\n    <cbc:Description languageID=\"ENG\">The contracting authority intends to award a "
        "contract for " +
        Escaped(object.title) + " in " + Escaped(town) + ". " +
        Escaped(random.Pick(server::ExtraSentences())) +
        "</cbc:Description>\n    <cbc:ProcurementTypeCode listName=\"contract-nature\">" + object.kind +
        "</cbc:ProcurementTypeCode>\n";
    xml += framework::Format(
        "    <cac:RequestedTenderTotal><cbc:EstimatedOverallContractAmount currencyID=\"EUR\">"
        "%lld</cbc:EstimatedOverallContractAmount></cac:RequestedTenderTotal>\n",
        value);
    xml += Classification("MainCommodityClassification", object.cpv);
    xml += "    <cac:RealizedLocation><cac:Address><cbc:CityName>" + Escaped(town) +
           "</cbc:CityName><cac:Country><cbc:IdentificationCode listName=\"country\">" + alpha3 +
           "</cbc:IdentificationCode></cac:Country></cac:Address></cac:RealizedLocation>\n"
           "  </cac:ProcurementProject>\n";
    for (int lot = 1, lots = random.Between(1, 4); lot <= lots; ++lot) {
        xml += framework::Format(
            "  <cac:ProcurementProjectLot>\n    <cbc:ID schemeName=\"Lot\">LOT-%04d</cbc:ID>\n", lot);
        xml += kLotTerms;
        xml +=
            "    <cac:TenderingProcess>\n      <cac:TenderSubmissionDeadlinePeriod><cbc:EndDate>" +
            Date(issued + random.Between(30, 52)) +
            "</cbc:EndDate><cbc:EndTime>12:00:00+01:00</cbc:EndTime></cac:TenderSubmissionDeadlinePeriod>\n"
            "    </cac:TenderingProcess>\n    <cac:ProcurementProject>\n"
            "      <cbc:ID schemeName=\"InternalID\">Part " +
            std::to_string(lot) + "</cbc:ID>\n      <cbc:Name languageID=\"ENG\">" + Escaped(object.title) +
            ", part " + std::to_string(lot) + "</cbc:Name>\n      <cbc:Description languageID=\"ENG\">" +
            Escaped(random.Pick(server::ExtraSentences())) + " " +
            Escaped(random.Pick(server::ExtraSentences())) +
            "</cbc:Description>\n      <cbc:ProcurementTypeCode listName=\"contract-nature\">" + object.kind +
            "</cbc:ProcurementTypeCode>\n";
        xml += Classification("MainCommodityClassification", object.cpv);
        xml += "    </cac:ProcurementProject>\n  </cac:ProcurementProjectLot>\n";
    }
    xml += "</ContractNotice>\n";
    return xml;
}

} // namespace qv::bench
