#pragma once

// The photographs that come with the game, numbered 1..kBuiltInPictures in
// both editions (the desktop's catalogue, the page's images); a parent's own
// photos are numbered after them.
inline constexpr int kBuiltInPictures = 6;
