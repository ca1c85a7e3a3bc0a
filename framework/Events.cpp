#include "framework/Events.h"

#include "framework/Application.h"

namespace qv::framework {

void HandleEventException(std::exception_ptr exception) {
    TApplication::HandleException(exception);
}

} // namespace qv::framework
