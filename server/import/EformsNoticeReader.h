#pragma once

#include "framework/Exception.h"
#include "server/import/EformsNotice.h"
#include "server/import/XmlDocument.h"

#include <string_view>

namespace qv::server {

QV_EXCEPTION_CLASS(ENoticeError, framework::Exception);

// Reads eForms notices: contract notices, contract award notices and prior information notices
// in UBL 2.3 with the eForms extensions, their changes included. Where a notice gives a text in
// several languages, English is taken, else the notice's own language.
class EformsNoticeReader {
public:
    // The root that the UBL standard gives the names of its document and component namespaces
    // (fixed by the standard, as every published notice carries it).
    static constexpr std::string_view kUblNamespaceRoot = "urn:oasis:names:specification:ubl:schema:xsd:";

    // The namespaces of eForms notices and the prefixes the reader names them by.
    static const XmlDocument::Prefixes& Namespaces();

    EformsNoticeReader() : document_(Namespaces()) {}

    // Raises ENoticeError, with the reason, for a document that is not an eForms notice or
    // lacks its identifier or a valid issue date.
    static EformsNotice Read(const XmlDocument& document);
    // Parses first, into the reader's own document; raises EXmlError for input that is not
    // well-formed.
    EformsNotice Read(std::string_view bytes);

private:
    XmlDocument document_;
};

} // namespace qv::server
