#pragma once

#include "skin/archive/Sk2Format.h"

#include <cstdint>
#include <string>

namespace qv::skin {

// Lays out skin data as a writer does: the header, then record, payload, record, payload, ...
// and an all-zero terminator record.
class TSkinDataBuilder {
public:
    TSkinDataBuilder();

    // Raises framework::Exception for a name longer than the 64-byte name field.
    void AddItem(const std::string& name, uint8_t kind, const std::string& payload);
    void AddBitmap(const std::string& name, const std::string& bmpFile);
    void AddInteger(const std::string& name, int32_t value);
    void AddFlag(const std::string& name, uint8_t value);
    void AddText(const std::string& name, const std::string& text);

    // The skin data with its terminator.
    std::string Data() const;

private:
    std::string data_;
};

} // namespace qv::skin
