#include "framework/gui/Events.h"

#include "framework/gui/Application.h"

namespace qv::framework {

void HandleEventException(std::exception_ptr exception) {
    TApplication::HandleException(exception);
}

} // namespace qv::framework
