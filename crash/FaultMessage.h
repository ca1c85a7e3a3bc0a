#pragma once

#include "crash/ExceptionRequest.h"

#include <string>

namespace qv::crash {

// The message of the ZorException that a fault signal turns into: the kind of fault, the address
// of the faulting code and its module and, for memory faults, whether a read, a write or a jump
// went to which address.
class TFaultMessage {
public:
    static std::string Compose(const TFaultContext& fault);
};

} // namespace qv::crash
