// The registry store's value files and key paths. A value file that reads gives values that
// write back to the same bytes and read again to the same values; a key path names a folder
// inside the hive or nothing, never one outside it. The input's first line is the key path,
// the whole input is also taken as a value file.
#include "fuzz/support/FuzzInput.h"
#include "platform/RegistryStore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qv;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    if (const auto values = platform::DecodeRegistryValues(bytes)) {
        const std::string written = platform::EncodeRegistryValues(*values);
        const auto again = platform::DecodeRegistryValues(written);
        fuzz::Require(again && *again == *values, "written values read back the same");
        fuzz::Require(platform::EncodeRegistryValues(*again) == written, "values write to the same bytes");
    }

    const platform::RegistryStore store("/registry-root");
    const std::string folder = store.KeyFolder(bytes.substr(0, bytes.find('\n')));
    if (folder.empty()) return 0;
    fuzz::Require(folder.compare(0, 15, "/registry-root/") == 0, "a key's folder lies in the hive");
    for (const char* step : {"/../", "/./"})
        fuzz::Require((folder + "/").find(step) == std::string::npos, "a key's folder does not step outside");
    return 0;
}
