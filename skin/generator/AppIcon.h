#pragma once

#include <QImage>

namespace qv::skin::generator {

// The program's 16 by 16 icon: a tender sheet on a slate-blue tile, the key colour around it.
QImage MainIcon();

} // namespace qv::skin::generator
