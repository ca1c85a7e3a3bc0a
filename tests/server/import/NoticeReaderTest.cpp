#include "server/import/EformsNoticeReader.h"
#include "server/import/NoticeFormatter.h"
#include "tests/server/NoticeFixtures.h"

#include <gtest/gtest.h>

#include <random>

namespace qv::server::test {

namespace {

Tender TenderOf(const std::string& bytes) {
    return NoticeFormatter::Format(EformsNoticeReader().Read(bytes));
}

std::string Refusal(EformsNoticeReader& reader, const std::string& bytes) {
    try {
        reader.Read(bytes);
    } catch (const framework::Exception& e) {
        return e.Message();
    }
    return "accepted";
}

struct Expected {
    const char* file;
    const char* title;
    const char* country;
    std::vector<std::string> lines;
};

// `count` attributes "aN=", each with the value given, quotes included.
std::string Attributes(int count, const std::string& value) {
    std::string attributes;
    for (int i = 0; i < count; ++i)
        attributes += " a" + std::to_string(i) + "=" + value;
    return attributes;
}

std::string Namespaces(int count) {
    std::string declarations;
    for (int i = 0; i < count; ++i)
        declarations += " xmlns:p\xC3\xA9" + std::to_string(i) + (i % 2 ? " =\n'urn:" : "='urn:") +
                        std::to_string(i) + "'";
    return declarations;
}

std::string DistinctElements(size_t count) {
    std::string elements;
    for (size_t i = 0; i < count; ++i)
        elements += "<e" + std::to_string(i) + "/>";
    return elements;
}

} // namespace

TEST(NoticeReader, EachKindOfNoticeBecomesItsTender) {
    const std::vector<Expected> notices = {
        {"contract-minimal.xml",
         "Ireland-Cork: Dredging of the inner quay",
         "IE",
         {"Ireland-Cork: Dredging of the inner quay\nContract notice\n\nNotice title: Dredging of the inner "
          "quay\n"
          "Notice type: Contract notice\nBuyer: Harbour Board of Cork\nAddress: Cork, Ireland\n\n"
          "Main CPV code: 45252124\n\nPublication date: 04/03/2024\n"
          "Notice identifier: 0b1c2d3e-0000-4000-8000-000000000001, version 01\n"}},
        {"contract-full.xml",
         "Germany-Görlitz: District heating pipeline in the town centre",
         "DE",
         {"Buyer: Stadtwerke Görlitz\nAddress: Am Wiesengrund 4, 02826 Görlitz, Germany\n",
          "Description: New construction of 2.4 km of district heating pipeline,\nincluding the house "
          "connections.\n"
          "Main CPV code: 45232140\nAdditional CPV codes: 45231100, 38554000\n"
          "Place of performance: Görlitz, DED2D, Germany\nEstimated value excluding VAT: 4,350,000.50 EUR\n"
          "Time limit for receipt of tenders: 13/06/2024 12:00 (UTC+02:00)\n",
          "\nLot LOT-0001: Civil engineering\nTrenches, pipe laying and surface restoration.\n"
          "Estimated value excluding VAT: 3,100,000 EUR\n\nLot LOT-0002: Heat meters\n"}},
        {"award.xml",
         "France-Besançon: Nettoyage des bâtiments communautaires",
         "FR",
         {"\nContract award notice\n", "Address: 25000 Besançon, France\n"}},
        {"prior-information.xml",
         "Poland-Łódź: Dostawa sprzętu medycznego dla oddziału ratunkowego",
         "",
         {"\nPrior information notice\n", "Description: Źródło finansowania: środki własne.\n"}},
        {"change.xml",
         "Germany-Görlitz: District heating pipeline in the town centre",
         "DE",
         {"Changes the notice: 7a5e0c1d-1111-4a2b-9c3d-0123456789ab\nChanges: Time limit extended by two "
          "weeks.\n",
          "Time limit for receipt of tenders: 04/07/2024 10:00 (UTC+02:00)\n"}},
        // English where the notice has it, else its own language; a party described in place.
        {"multilingual.xml",
         "Czechia-Brno: Cleaning of the town hall",
         "",
         {"\nContract notice (light regime)\n", "Buyer: Statutární město Brno\n",
          "Description: Pravidelný úklid kancelářských prostor, čtyřikrát týdně.\n"}},
    };
    for (const auto& expected : notices) {
        const Tender tender = TenderOf(NoticeText(expected.file));
        EXPECT_EQ(tender.title, expected.title);
        EXPECT_EQ(tender.country, expected.country) << expected.file;
        EXPECT_EQ(tender.text.rfind(tender.title + "\n", 0), 0u) << expected.file;
        for (const auto& line : expected.lines)
            EXPECT_NE(tender.text.find(line), std::string::npos) << expected.file << "\n" << tender.text;
    }
    EXPECT_EQ(TenderOf(NoticeText("contract-full.xml")).text.find("Both lots together"), std::string::npos);
}

TEST(NoticeReader, IdentityVersionAndDayComeFromTheNotice) {
    const EformsNotice change = EformsNoticeReader().Read(NoticeText("change.xml"));
    EXPECT_EQ(change.identifier, "19f0e1d2-5555-4e6f-a071-9999aaaabbbb");
    EXPECT_EQ(change.version, 1);
    EXPECT_EQ(change.changedIdentifier, "7a5e0c1d-1111-4a2b-9c3d-0123456789ab");
    EXPECT_EQ(change.changedVersion, 1);
    // Days since 30 December 1899: 28 May 2024 is day 45440.
    EXPECT_EQ(TenderOf(NoticeText("change.xml")).day, 45440);
    const std::string minimal = NoticeText("contract-minimal.xml");
    EXPECT_EQ(EformsNoticeReader().Read(Replaced(minimal, "<cbc:VersionID>01", "<cbc:VersionID>12")).version,
              12);
    EXPECT_EQ(EformsNoticeReader().Read(Replaced(minimal, "<cbc:VersionID>01</cbc:VersionID>", "")).version,
              1);
}

TEST(NoticeReader, TitlesStayOnOneLineAndWithinBounds) {
    const std::string minimal = NoticeText("contract-minimal.xml");
    const Tender spaced = TenderOf(Replaced(minimal, "Dredging of the", "Dredging\r\n\t of  the"));
    EXPECT_EQ(spaced.title, "Ireland-Cork: Dredging of the inner quay");
    const Tender untitled = TenderOf(Replaced(minimal, "Dredging of the inner quay", ""));
    EXPECT_EQ(untitled.title, "Ireland-Cork: Contract notice");
    const Tender longTitle = TenderOf(Replaced(minimal, "Dredging", std::string(400, 'x')));
    EXPECT_EQ(longTitle.title.size(), NoticeFormatter::kMaxTitleCharacters + 3);
    EXPECT_NE(longTitle.text.find("Notice title: " + std::string(400, 'x')), std::string::npos);
}

TEST(NoticeReader, RefusesWhatIsNoNoticeWithTheReason) {
    const std::string minimal = NoticeText("contract-minimal.xml");
    const std::string ubl(EformsNoticeReader::kUblNamespaceRoot);
    std::string crowded = "<a>";
    for (uint32_t i = 0; i < XmlDocument::kMaxElements; ++i)
        crowded += "<b/>";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {" \r\n", "not well-formed XML: the document is empty"},
        {"<ContractNotice>",
         "not well-formed XML: Premature end of data in tag ContractNotice line 1 (line 1)"},
        {"<a>\n<b></a>", "not well-formed XML: Opening and ending tag mismatch: b line 2 and a (line 2)"},
        {"<a xmlns:c='urn:c'><c:b>", "not well-formed XML: Premature end of data in tag b line 1 (line 1)"},
        {"<a><c:b/></a>", "not well-formed XML: Namespace prefix c on b is not defined (line 1)"},
        {"<a>\x80</a>", "not well-formed XML: Input is not proper UTF-8, indicate encoding ! (line 1)"},
        {"<html/>", "not an eForms notice (root element html)"},
        {"<Invoice xmlns='" + ubl + "Invoice-2'/>", "not an eForms notice (root element Invoice)"},
        {Replaced(minimal, " xmlns=\"" + ubl + "ContractNotice-2\"", ""),
         "not an eForms notice (root element ContractNotice)"},
        {"<!DOCTYPE a [<!ENTITY x 'xx'><!ENTITY y '&x;&x;'>]>\n<a>&y;</a>",
         "declares a document type, which is not accepted (line 1)"},
        {"<a>\n<b " + Attributes(257, "'>'") + "/></a>",
         "a start tag with more than 256 attributes (line 2)"},
        {"<a " + Attributes(256, "'>'") + "/>", "not an eForms notice (root element a)"},
        {"<a><!-- " + Attributes(300, "'") + " --><![CDATA[" + Attributes(300, "") + "]]><?p " +
             Attributes(300, "\"") + "?></a>",
         "not an eForms notice (root element a)"},
        {"<a>" + std::string(300, '=') + "</a>", "not an eForms notice (root element a)"},
        {"<a " + Namespaces(100) + "><b " + Namespaces(29) + "/></a>",
         "more than 128 namespace declarations (line 65)"},
        {"\xFF\xFE<\0a\0/\0>\0", "not UTF-8, the only encoding read"},
        {"<?xml version='1.0' encoding='ISO-8859-1'?><a>\xE9</a>",
         "not well-formed XML: Input is not proper UTF-8, indicate encoding ! (line 1)"},
        {"<a>" + DistinctElements(XmlDocument::kMaxNames) + "</a>", "more than 10000 names (line 1)"},
        {"<a>&x;</a>", "not well-formed XML: Entity 'x' not defined (line 1)"},
        {crowded + "</a>", "more than 1000000 elements (line 1)"},
        {Replaced(minimal, "0b1c2d3e-0000-4000-8000-000000000001", " "),
         "not an eForms notice: no notice identifier"},
        {Replaced(minimal, "2024-03-04Z", "2024-02-30"), "the issue date \"2024-02-30\" is not a date"},
        {Replaced(minimal, "2024-03-04Z", "04/03/2024"), "the issue date \"04/03/2024\" is not a date"},
        {Replaced(minimal, "<cbc:VersionID>01", "<cbc:VersionID>1a"), "the version \"1a\" is not a number"},
    };
    // One reader for all, in this order: nothing of a refused document, its namespaces or its
    // declarations, reaches the next.
    EformsNoticeReader reader;
    for (const auto& [bytes, reason] : cases)
        EXPECT_EQ(Refusal(reader, bytes), reason) << bytes.substr(0, 60);
    EXPECT_EQ(NoticeFormatter::Format(reader.Read(minimal)).title, TenderOf(minimal).title);
}

TEST(NoticeReader, RandomDamageEndsInAReasonOrANotice) {
    const std::string notice = NoticeText("contract-full.xml");
    std::mt19937 random(13);
    // One reader for all, as an import uses it: nothing of a damaged notice stays behind.
    EformsNoticeReader reader;
    int refused = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string damaged = notice;
        for (int n = 1 + static_cast<int>(random() % 4); n > 0; --n) {
            const size_t at = random() % damaged.size();
            switch (random() % 3) {
            case 0:
                damaged[at] = static_cast<char>(random());
                break;
            case 1:
                damaged.erase(at, random() % 40);
                break;
            default:
                damaged.insert(at, damaged.substr(random() % damaged.size(), random() % 80));
                break;
            }
        }
        try {
            NoticeFormatter::Format(reader.Read(damaged));
        } catch (const framework::Exception& e) {
            EXPECT_FALSE(e.Message().empty());
            ++refused;
        }
    }
    EXPECT_GT(refused, 1000);
    EXPECT_EQ(NoticeFormatter::Format(reader.Read(notice)).title, TenderOf(notice).title);
}

} // namespace qv::server::test
