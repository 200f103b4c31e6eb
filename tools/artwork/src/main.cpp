// frostpane_artwork: regenerates Frostpane's artwork.
//
//   frostpane_artwork ice IN.png OUT.png SEED
//   frostpane_artwork icons OUTDIR
//   frostpane_artwork banner FONT.ttf OUT.png
//   frostpane_artwork appicon APP_ID OUTDIR
//
// Everything is drawn offscreen and deterministically, so running it again
// produces byte-identical files.
#include "appicon.h"
#include "assets/ice/ice_overlay.h"
#include "banner.h"
#include "common.h"
#include "icons.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QStringList>

#include <cstdio>

namespace {

int usage()
{
    std::fprintf(stderr, "usage:\n"
                         "  frostpane_artwork ice IN.png OUT.png SEED\n"
                         "  frostpane_artwork icons OUTDIR\n"
                         "  frostpane_artwork banner FONT.ttf OUT.png\n"
                         "  frostpane_artwork appicon APP_ID OUTDIR\n");
    return 2;
}

int runIce(const QStringList &args)
{
    if (args.size() != 5)
        return usage();
    bool ok = false;
    const uint seed = args[4].toUInt(&ok);
    if (!ok) {
        std::fprintf(stderr, "SEED must be a non-negative integer\n");
        return 2;
    }
    QImage photo;
    if (!photo.load(args[2])) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(args[2]));
        return 1;
    }
    return art::savePng(art::makeIce(photo, seed), args[3]) ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    // No display is needed; fonts and painting work on the offscreen platform.
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() < 2)
        return usage();

    const QString command = args[1];
    if (command == QLatin1String("ice"))
        return runIce(args);
    if (command == QLatin1String("icons")) {
        if (args.size() != 3)
            return usage();
        return art::writeIcons(args[2]) ? 0 : 1;
    }
    if (command == QLatin1String("banner")) {
        if (args.size() != 4)
            return usage();
        return art::writeBanner(args[2], args[3]) ? 0 : 1;
    }
    if (command == QLatin1String("appicon")) {
        if (args.size() != 4)
            return usage();
        return art::writeAppIcon(args[2], args[3]) ? 0 : 1;
    }
    return usage();
}
