#pragma once

#include <QString>

namespace art {

// Draws the ten 512x512 button icons into outDir. Returns false on error.
bool writeIcons(const QString &outDir);

} // namespace art
