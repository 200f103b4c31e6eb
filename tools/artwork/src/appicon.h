#pragma once

#include <QString>

namespace art {

// Draws the application icon, a frosted window pane with a child's hand
// print wiped clear, into outDir laid out like an icon theme:
//   outDir/<N>x<N>/apps/<appId>.png   for N = 48, 64, 128, 256, 512
//   outDir/scalable/apps/<appId>.svg
// The PNGs and the SVG are rendered from one list of shapes, so they show the
// same picture. Returns false on error.
bool writeAppIcon(const QString &appId, const QString &outDir);

} // namespace art
