// quorvane-skin: builds skin archives from a folder and lists what the skin reader loads from one.
//
//   quorvane-skin pack DIR OUT.ssk [--password P] [--store]
//   quorvane-skin dump FILE [--password P]
//
// Options may stand anywhere among the command and its paths.
//
// DIR holds BMP files (the item name is the file name without ".bmp") and an optional items.txt
// with one item a line: "integer NAME VALUE", "flag NAME VALUE", "text NAME VALUE" or
// "bitmap NAME", which places NAME.bmp at that point. Bitmaps that no line places come first, in
// file name order. Blank lines and lines starting with "#" are skipped.

#include "framework/CommandLine.h"
#include "framework/Conversions.h"
#include "framework/Exception.h"
#include "skin/archive/sk2SkinFileReader.h"
#include "skin/writer/SkinArchiveWriter.h"
#include "skin/writer/SkinDataBuilder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using qv::framework::Exception;
using qv::skin::TSkinDataBuilder;

namespace {

struct TArguments {
    std::string command;
    std::vector<std::string> paths;
    std::string password;
    bool store = false;
};

constexpr const char* kProgram = "quorvane-skin";
constexpr const char* kUsage = "usage: quorvane-skin pack DIR OUT.ssk [--password P] [--store]\n"
                               "       quorvane-skin dump FILE [--password P]\n"
                               "       quorvane-skin --help | --version\n";

// The command and its paths, or an error.
std::optional<TArguments> ParseArguments(const qv::framework::TCommandLine& line, std::string& error) {
    TArguments args;
    const std::vector<std::string>& operands = line.Operands();
    if (operands.empty()) {
        error = "no command given";
        return std::nullopt;
    }
    args.command = operands.front();
    args.paths.assign(operands.begin() + 1, operands.end());
    args.password = line.Value("--password").value_or("");
    args.store = line.Has("--store");
    const bool pack = args.command == "pack" && args.paths.size() == 2;
    const bool dump = args.command == "dump" && args.paths.size() == 1 && !args.store;
    if (!pack && !dump) {
        error = "cannot " + args.command + " with these arguments";
        return std::nullopt;
    }
    return args;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Exception("Cannot read " + path.string());
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// The folder's BMP files by item name.
std::map<std::string, fs::path> FindBitmaps(const fs::path& folder) {
    std::map<std::string, fs::path> bitmaps;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file() && qv::framework::SameText(entry.path().extension().string(), ".bmp"))
            bitmaps.emplace(entry.path().stem().string(), entry.path());
    return bitmaps;
}

int32_t ParseValue(const std::string& text, const std::string& line) {
    const auto value = qv::framework::TryStrToInt(text);
    if (!value) throw Exception("Invalid value in line: " + line);
    return *value;
}

struct TItemLine {
    std::string kind;
    std::string name;
    std::string value;
};

// Splits "KIND NAME VALUE": the value is the rest of the line after the name and one space.
TItemLine SplitLine(const std::string& line) {
    TItemLine item;
    std::istringstream fields(line);
    fields >> item.kind >> item.name;
    if (item.name.empty()) throw Exception("Missing item name in line: " + line);
    const size_t nameEnd = line.find(item.name, item.kind.size()) + item.name.size();
    if (nameEnd < line.size()) item.value = line.substr(nameEnd + 1);
    return item;
}

void AddLine(TSkinDataBuilder& builder, const std::string& line,
             const std::map<std::string, fs::path>& bitmaps) {
    const TItemLine item = SplitLine(line);
    if (item.kind == "integer") {
        builder.AddInteger(item.name, ParseValue(item.value, line));
    } else if (item.kind == "flag") {
        const int32_t flag = ParseValue(item.value, line);
        if (flag < 0 || flag > 255) throw Exception("Flag out of range in line: " + line);
        builder.AddFlag(item.name, static_cast<uint8_t>(flag));
    } else if (item.kind == "text") {
        builder.AddText(item.name, item.value);
    } else if (item.kind == "bitmap" && bitmaps.contains(item.name)) {
        builder.AddBitmap(item.name, ReadFile(bitmaps.at(item.name)));
    } else {
        throw Exception("Cannot pack line: " + line);
    }
}

std::vector<std::string> ReadItemLines(const fs::path& itemsFile) {
    std::vector<std::string> lines;
    if (!fs::exists(itemsFile)) return lines;
    std::istringstream text(ReadFile(itemsFile));
    for (std::string line; std::getline(text, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.front() != '#') lines.push_back(line);
    }
    return lines;
}

int Pack(const TArguments& args) {
    const fs::path folder = args.paths[0];
    const auto bitmaps = FindBitmaps(folder);
    const auto lines = ReadItemLines(folder / "items.txt");

    std::set<std::string> placed;
    for (const std::string& line : lines) {
        const TItemLine item = SplitLine(line);
        if (item.kind == "bitmap") placed.insert(item.name);
    }
    TSkinDataBuilder builder;
    for (const auto& [name, path] : bitmaps)
        if (!placed.contains(name)) builder.AddBitmap(name, ReadFile(path));
    for (const std::string& line : lines)
        AddLine(builder, line, bitmaps);

    qv::skin::TSkinArchiveOptions options;
    options.password = args.password;
    options.store = args.store;
    const std::string archive = qv::skin::BuildSkinArchive(builder.Data(), options);
    std::ofstream out(args.paths[1], std::ios::binary | std::ios::trunc);
    out.write(archive.data(), static_cast<std::streamsize>(archive.size()));
    if (!out.flush()) throw Exception("Cannot write " + args.paths[1]);
    return 0;
}

int Dump(const TArguments& args) {
    using qv::skin::TSk2ItemKind;
    std::optional<qv::skin::Tsk2SkinFileReader> reader;
    try {
        reader.emplace(args.paths[0], args.password);
    } catch (const std::exception&) {
        std::cerr << "Failed to read skin file!\n";
        return 1;
    }
    for (const auto& item : reader->Items()) {
        switch (item.kind) {
        case TSk2ItemKind::Bitmap:
            std::cout << "bitmap " << item.name << ' ' << item.bitmap.width() << 'x' << item.bitmap.height()
                      << '\n';
            break;
        case TSk2ItemKind::Integer:
            std::cout << "integer " << item.name << ' ' << item.value << '\n';
            break;
        case TSk2ItemKind::Flag:
            std::cout << "flag " << item.name << ' ' << item.value << '\n';
            break;
        case TSk2ItemKind::Text:
            std::cout << "text " << item.name << ' ' << item.text << '\n';
            break;
        }
    }
    std::cout << "loaded " << (reader->SkinLoaded() ? "yes" : "no") << '\n';
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    using qv::framework::TOptionValue;
    int exitCode = 0;
    const auto line = qv::framework::ReadToolCommandLine(
        argc, argv, {{"--password", TOptionValue::Required}, {"--store", TOptionValue::None}}, kProgram,
        kUsage, exitCode);
    if (!line) return exitCode;
    std::string error;
    const auto args = ParseArguments(*line, error);
    if (!args) return qv::framework::RefuseCommandLine(kProgram, error, kUsage);
    try {
        return args->command == "pack" ? Pack(*args) : Dump(*args);
    } catch (const std::exception& e) {
        std::cerr << "quorvane-skin: " << e.what() << '\n';
        return 1;
    }
}
