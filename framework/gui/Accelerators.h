#pragma once

#include <QChar>
#include <QString>

namespace qv::framework {

// In captions "&" marks the character after it as the accelerator and "&&" stands for a plain
// "&". The accelerator of a caption, or a null character.
QChar AcceleratorOf(const QString& caption);

// The caption as shown, without its accelerator marks.
QString StripAccelerators(const QString& caption);

} // namespace qv::framework
