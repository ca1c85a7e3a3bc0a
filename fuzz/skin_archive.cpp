// Skin archives: the end record, the central directory, the local header, the PKWARE
// decryption and the inflated member, as the skin reader opens a skin held in memory. The first
// byte chooses the password (none or "secret"); the rest is the archive. The reader loads the
// skin, returns without it for a missing or wrong password, or fails with "Failed to read skin
// file!".
#include "framework/Exception.h"
#include "framework/Stream.h"
#include "fuzz/support/FuzzInput.h"
#include "skin/archive/sk2SkinFileReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qv;
    const fuzz::FuzzInput input(data, size);
    framework::TMemoryStream archive(input.Text());
    try {
        const skin::Tsk2SkinFileReader reader(archive, input.Option(0) ? "secret" : "");
        if (!reader.SkinLoaded())
            fuzz::Require(reader.Items().empty(), "a skin that is not loaded holds no items");
    } catch (const framework::Exception& e) {
        fuzz::Require(e.Message() == "Failed to read skin file!", "a failed load says so");
    }
    return 0;
}
