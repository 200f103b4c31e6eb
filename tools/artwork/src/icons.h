#pragma once

#include <QString>

namespace art {

// Draws the ten 128x128 button icons into outDir. Returns false on error.
bool writeIcons(const QString &outDir);

} // namespace art
