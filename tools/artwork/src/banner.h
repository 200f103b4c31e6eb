#pragma once

#include <QString>

namespace art {

// Draws the 1024x280 "Congratulations!" banner with the given TrueType font.
bool writeBanner(const QString &fontFile, const QString &outFile);

} // namespace art
