// Skin archives: the end record, the central directory, the local header, the PKWARE
// decryption and the inflated member, as the skin reader opens a skin file. The first byte
// chooses the password (none or "secret"); the rest is the archive. The reader loads the skin,
// returns without it for a missing or wrong password, or fails with "Failed to read skin file!";
// whatever happens, no temporary file stays behind.
#include "framework/Exception.h"
#include "fuzz/support/FuzzInput.h"
#include "fuzz/support/TempDirectory.h"
#include "skin/archive/sk2SkinFileReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qv;
    static const fuzz::TempDirectory folder;
    const fuzz::FuzzInput input(data, size);
    const std::string archive = folder.Write("input.ssk", input.Text());
    try {
        const skin::Tsk2SkinFileReader reader(archive, input.Option(0) ? "secret" : "");
        if (!reader.SkinLoaded())
            fuzz::Require(reader.Items().empty(), "a skin that is not loaded holds no items");
    } catch (const framework::Exception& e) {
        fuzz::Require(e.Message() == "Failed to read skin file!", "a failed load says so");
    }
    fuzz::Require(folder.FileCount() == 1, "no temporary file stays behind");
    return 0;
}
