#include "crash/symbols/MapFileReader.h"

#include "framework/Conversions.h"

#include <optional>
#include <string_view>
#include <vector>

namespace qv::crash {

using qv::framework::SameText;
using qv::framework::Trim;

namespace {

enum class TSection { None, SegmentsHeader, Segments, Publics, Lines };

struct TSegmentAddress {
    uint32_t segment = 0;
    uint32_t offset = 0;
};

std::optional<uint32_t> ParseHex(std::string_view text, size_t pos, size_t digits) {
    if (pos > text.size() || text.size() - pos < digits) return std::nullopt;
    uint32_t value = 0;
    for (size_t i = pos; i < pos + digits; ++i) {
        const char c = text[i];
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) return std::nullopt;
        value = value << 4 | static_cast<uint32_t>(digit);
    }
    return value;
}

// "SSSS:OOOOOOOO" at pos.
std::optional<TSegmentAddress> ParseSegmentAddress(std::string_view text, size_t pos) {
    const auto segment = ParseHex(text, pos, 4);
    if (!segment || pos + 4 >= text.size() || text[pos + 4] != ':') return std::nullopt;
    const auto offset = ParseHex(text, pos + 5, 8);
    if (!offset) return std::nullopt;
    return TSegmentAddress{*segment, *offset};
}

std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        const size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t')
            ++i;
        if (i > start) words.push_back(text.substr(start, i - start));
    }
    return words;
}

bool Contains(std::string_view line, std::string_view part) {
    return line.find(part) != std::string_view::npos;
}

// A public found before its segment is known keeps the unit of its mangled name until the end.
struct TPendingPublic {
    TMfPublic entry;
    std::string unit;
};

class TReader {
public:
    explicit TReader(TMapFile& map) : map_(map) {}

    void Line(std::string_view line) {
        if (Contains(line, "Detailed map of segments")) {
            section_ = TSection::SegmentsHeader;
        } else if (Contains(line, "Publics by Value")) {
            section_ = TSection::Publics;
        } else if (Contains(line, "Publics by Name")) {
            section_ = TSection::None;
        } else if (line.starts_with("Line numbers for ")) {
            section_ = TSection::Lines;
            lastLineAddress_.reset();
        } else if (line.starts_with("Program entry point at ")) {
            const std::string_view rest = line.substr(23);
            const size_t colon = rest.find(':');
            if (colon != std::string_view::npos)
                if (const auto offset = ParseHex(rest, colon + 1, 8))
                    map_.entryPoint = map_.codeStart + *offset;
        } else {
            Entry(line);
        }
    }

    void Finish() {
        map_.Sort();
        for (TPendingPublic& pending : publics_) {
            const TMfSegment* segment = map_.SegmentAt(pending.entry.address, pending.entry.kind);
            const std::string segmentUnit = segment != nullptr ? segment->unitName : std::string();
            std::string& name = pending.entry.name;
            if (!segmentUnit.empty() && SameText(name, segmentUnit) &&
                (pending.unit.empty() || SameText(pending.unit, segmentUnit)))
                name = "initialization";
            else if (!pending.unit.empty() && !SameText(pending.unit, segmentUnit))
                name = pending.unit + "." + name;
            map_.publics.push_back(std::move(pending.entry));
        }
        map_.Sort();
    }

private:
    TMapFile& map_;
    TSection section_ = TSection::None;
    std::optional<uintptr_t> lastLineAddress_;
    std::vector<TPendingPublic> publics_;

    void Entry(std::string_view line) {
        switch (section_) {
        case TSection::SegmentsHeader:
            if (line.empty()) return;
            section_ = TSection::Segments;
            Segment(line);
            return;
        case TSection::Segments:
            if (line.empty())
                section_ = TSection::None;
            else
                Segment(line);
            return;
        case TSection::Publics:
            Public(line);
            return;
        case TSection::Lines:
            Lines(line);
            return;
        case TSection::None:
            return;
        }
    }

    void Segment(std::string_view line) {
        if (line.size() <= 72) return;
        const auto address = ParseSegmentAddress(line, 0);
        const auto length = ParseHex(line, 14, 8);
        if (!address || !length || line[13] != ' ' || line[22] != ' ' || line.substr(23, 2) != "C=") return;
        if (address->segment != 1 && address->segment != 2) return;
        const size_t cut = line.find_last_of("=\\|");
        const auto words = Words(line.substr(cut + 1));
        TMfSegment segment;
        segment.kind = address->segment == 1 ? TMfKind::Code : TMfKind::Data;
        segment.start = map_.codeStart + address->offset;
        segment.size = *length;
        segment.unitName = words.empty() ? std::string() : std::string(words.back());
        map_.segments.push_back(std::move(segment));
    }

    void Public(std::string_view line) {
        const auto address = ParseSegmentAddress(line, 0);
        if (!address || line.size() <= 13 || (line[13] != ' ' && line[13] != '\t')) return;
        const std::string name = Trim(std::string(line.substr(13)));
        if (name.empty()) return;
        if (name.size() >= 6 && name[0] == '@' && name[1] == '$' && name[2] == 'x' && name[4] == '$') return;
        TPendingPublic pending;
        pending.entry.kind = address->segment == 1 ? TMfKind::Code : TMfKind::Data;
        pending.entry.address = map_.codeStart + address->offset;
        if (name[0] == '@')
            TMapFileReader::SplitMangledName(name, pending.unit, pending.entry.name);
        else
            pending.entry.name = name;
        publics_.push_back(std::move(pending));
    }

    void Lines(std::string_view line) {
        const auto words = Words(line);
        for (size_t i = 0; i + 1 < words.size(); i += 2) {
            const auto number = qv::framework::TryStrToInt(std::string(words[i]));
            const auto address = ParseSegmentAddress(words[i + 1], 0);
            if (!number || !address || words[i + 1].size() != 13) return;
            const uintptr_t absolute = map_.codeStart + address->offset;
            if (lastLineAddress_ && absolute <= *lastLineAddress_) continue;
            lastLineAddress_ = absolute;
            map_.lines.push_back({*number, absolute});
        }
    }
};

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
    for (size_t pos = text.find(from); pos != std::string::npos; pos = text.find(from, pos + to.size()))
        text.replace(pos, from.size(), to);
    return text;
}

} // namespace

void TMapFileReader::SplitMangledName(const std::string& mangled, std::string& unit, std::string& name) {
    std::string text = ReplaceAll(mangled.substr(1), "::", ".");
    const size_t signatureStart = text.find('$');
    const std::string signature =
        signatureStart == std::string::npos ? std::string() : text.substr(signatureStart);
    text = ReplaceAll(text.substr(0, signatureStart), "@", ".");
    unit.clear();
    const size_t dot = text.find('.');
    if (dot != std::string::npos && dot + 1 < text.size()) {
        unit = text.substr(0, dot);
        text.erase(0, dot + 1);
    }
    if (!text.empty() && text.back() == '.')
        text += signature.size() >= 3 && signature[2] == 'd' ? "Destroy" : "Create";
    name = Trim(text);
    unit = Trim(unit);
}

bool TMapFileReader::Read(const std::string& text, TMapFile& map) {
    map.Clear();
    TReader reader(map);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        reader.Line(line);
        start = end + 1;
    }
    reader.Finish();
    return !map.segments.empty() || !map.publics.empty() || !map.lines.empty();
}

} // namespace qv::crash
