// quorvane-skin-pictures OUTDIR: draws the embedded skin and the built-in styles' pictures.
// Writes OUTDIR/quorvane.ssk, one OUTDIR/styles/NAME.bmp per style resource and
// OUTDIR/skin_pictures.qrc, which lists them all for the resource compiler.

#include "skin/generator/EmbeddedSkin.h"
#include "skin/generator/PictureKit.h"
#include "skin/generator/StylePictures.h"
#include "skin/writer/SkinArchiveWriter.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>

namespace fs = std::filesystem;
using namespace qv::skin::generator;

namespace {

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

std::string ResourceLine(const std::string& alias, const fs::path& file) {
    return "    <file alias=\"" + alias + "\">" + fs::absolute(file).string() + "</file>\n";
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: quorvane-skin-pictures OUTDIR\n";
        return 2;
    }
    try {
        const fs::path out = argv[1];
        fs::create_directories(out / "styles");
        std::string qrc = "<RCC>\n  <qresource prefix=\"/skin\">\n";
        const fs::path skin = out / "quorvane.ssk";
        WriteFile(skin, qv::skin::BuildSkinArchive(EmbeddedSkinData(), qv::skin::TSkinArchiveOptions{}));
        qrc += ResourceLine("quorvane.ssk", skin);
        for (const auto& [name, picture] : StylePictures()) {
            const fs::path file = out / "styles" / (name + ".bmp");
            WriteFile(file, EncodeBmp(picture));
            qrc += ResourceLine("styles/" + name + ".bmp", file);
        }
        WriteFile(out / "skin_pictures.qrc", qrc + "  </qresource>\n</RCC>\n");
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "quorvane-skin-pictures: " << e.what() << '\n';
        return 1;
    }
}
