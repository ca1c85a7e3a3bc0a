#include "crash/tracer/StackLines.h"

#include "framework/Format.h"

#include <algorithm>

namespace qv::crash {

using qv::framework::Format;

namespace {

class TColumn {
public:
    enum class Align { Left, Right };

    explicit TColumn(Align align = Align::Left) : align_(align) {}

    void Add(std::string text) {
        width_ = std::max(width_, text.size());
        cells_.push_back(std::move(text));
    }
    size_t Width() const { return width_; }

    // The cell padded to the column's width plus one blank; nothing for a column that is all empty.
    std::string Cell(size_t row) const {
        if (width_ == 0) return {};
        const std::string& text = cells_[row];
        const std::string padding(width_ - text.size(), ' ');
        return (align_ == Align::Right ? padding + text : text + padding) + " ";
    }

private:
    Align align_;
    size_t width_ = 0;
    std::vector<std::string> cells_;
};

std::string Hex(uintptr_t value) {
    return Format("%lx", static_cast<unsigned long>(value));
}

} // namespace

std::string ComposeStackLines(const std::vector<TStackLine>& lines, const TStackOptions& options) {
    TColumn addresses, offsets, modules, units, numbers(TColumn::Align::Right), distances;
    size_t offsetDigits = 0;
    for (const TStackLine& line : lines)
        if (line.functionStart != 0 && line.address >= line.functionStart)
            offsetDigits = std::max(offsetDigits, Hex(line.address - line.functionStart).size());
    for (const TStackLine& line : lines) {
        addresses.Add(Format("%08lx", static_cast<unsigned long>(line.address)));
        if (options.showOffset) {
            std::string offset;
            if (line.functionStart != 0 && line.address >= line.functionStart) {
                offset = Hex(line.address - line.functionStart);
                offset = "+" + std::string(offsetDigits - offset.size(), '0') + offset;
            }
            offsets.Add(std::move(offset));
        }
        modules.Add(line.moduleName);
        units.Add(line.unitName);
        const bool hasLine = line.line != 0;
        numbers.Add(hasLine ? std::to_string(line.line) : std::string());
        if (options.relativeLines)
            distances.Add(hasLine ? "+" + std::to_string(line.relativeLine) : std::string());
    }

    std::string text;
    for (size_t row = 0; row < lines.size(); ++row) {
        if (row > 0) text += "\r\n";
        text += addresses.Cell(row) + offsets.Cell(row) + modules.Cell(row) + units.Cell(row);
        if (options.relativeLines && numbers.Width() > 0) {
            // The absolute number and its distance form one column: drop the blank between them.
            std::string number = numbers.Cell(row);
            number.pop_back();
            text += number + distances.Cell(row);
        } else {
            text += numbers.Cell(row);
        }
        text += lines[row].functionName;
    }
    return text;
}

} // namespace qv::crash
