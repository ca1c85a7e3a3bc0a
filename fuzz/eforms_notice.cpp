// eForms notices as the service's importer reads them: XML parsed into a compact tree, then the
// notice's fields. Any input gives a notice or a clear error; a notice read has its identifier
// and issue date. One reader reads every input, as the importer reads a package.
#include "framework/Exception.h"
#include "fuzz/support/FuzzInput.h"
#include "server/import/EformsNoticeReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qv;
    static server::EformsNoticeReader reader;
    try {
        const server::EformsNotice notice =
            reader.Read(std::string_view(reinterpret_cast<const char*>(data), size));
        fuzz::Require(!notice.identifier.empty() && !notice.issueDate.empty(),
                      "a notice read has its identifier and issue date");
    } catch (const framework::Exception&) {}
    return 0;
}
