#pragma once

#include <QString>

namespace art {

// Draws the 2048x560 "Congratulations!" banner with the given TrueType font.
bool writeBanner(const QString &fontFile, const QString &outFile);

} // namespace art
