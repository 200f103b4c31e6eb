// The game module's part in a parent's own photos: which photo can be used
// and how it is cut. The page decodes the files (the browser has the
// decoders and applies the EXIF orientation) and keeps the results; their
// ice comes from the frost module (ice_bindings.cpp).

#include "core/geometry.h"
#include "core/photo_rules.h"

#include "frostpane_boundary.h"

extern "C" {

int fp_maxPhotos()
{
    return PhotoRules::kMaxPhotos;
}

// A decoded photo of `width` x `height`, as it stands upright: whether it can
// be used (the problem None; too large is above the browser's own limit),
// and the part of it to keep, to be scaled to fp_photoWidth() x
// fp_photoHeight() (all 0 for a photo that cannot be used).
const frostpane_boundary::PhotoCut *fp_photoCut(int width, int height)
{
    static frostpane_boundary::PhotoCut cut;
    const PhotoRules::Problem problem = PhotoRules::problemOf(width, height, PhotoRules::kMaxBrowserPixels);
    cut = frostpane_boundary::PhotoCut{double(int(problem))};
    if (problem == PhotoRules::Problem::None) {
        const Rect r = PhotoRules::cutOf(width, height);
        cut = {cut.problem, double(r.x), double(r.y), double(r.width), double(r.height)};
    }
    return &cut;
}

int fp_photoWidth()
{
    return PhotoRules::kWidth;
}

int fp_photoHeight()
{
    return PhotoRules::kHeight;
}

} // extern "C"
