#pragma once

#include "framework/Component.h"

namespace qv::http {

// The root of the networking components.
class TIdBaseComponent : public framework::TComponent {
public:
    explicit TIdBaseComponent(framework::TComponent* owner = nullptr) : framework::TComponent(owner) {}
};

} // namespace qv::http
