#!/usr/bin/env python3
"""Assembles the browser edition's site around the two modules the build made.

Copies the page (web/site), the pictures (assets/images) and the app's icons
(data/icons), turns the translations (translations/*.ts) into one JSON file
per language, and writes the service worker with the list of every file and
a version that changes with any of them, so that a new build replaces the
cached one. Run by the build (target frostpane_site); only the standard
library is needed.
"""

import argparse
import hashlib
import json
import re
import shutil
import struct
import sys
import zlib
import xml.etree.ElementTree as ElementTree
from pathlib import Path

APP_ID = "io.github.frostpane.Frostpane"
ICON_SIZES = ("48x48", "64x64", "128x128", "256x256", "512x512")
# Files the service worker never keeps: itself (the browser checks it for
# updates on its own) and what the build leaves beside the modules.
NOT_CACHED = {"sw.js"}
# The icon iPhones and iPads put on the home screen: 180 x 180 and opaque
# (they fill transparency with black anyway, and round the corners
# themselves), made from the application icon.
APPLE_TOUCH_ICON_SIZE = 180
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def read_png_rgba(data: bytes) -> tuple:
    """(width, height, rows of RGBA bytes) of an 8-bit RGBA PNG that is not
    interlaced, as the artwork tool writes the application icon."""
    if not data.startswith(PNG_SIGNATURE):
        raise SystemExit("the application icon is not a PNG file")
    at, idat = 8, []
    width = height = 0
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if (depth, colour, interlace) != (8, 6, 0):
                raise SystemExit("the application icon must be 8-bit RGBA, not interlaced")
        elif kind == b"IDAT":
            idat.append(body)
        elif kind == b"IEND":
            break
        at += 12 + length
    raw = zlib.decompress(b"".join(idat))
    stride = width * 4
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            a = line[x - 4] if x >= 4 else 0
            b, c = previous[x], previous[x - 4] if x >= 4 else 0
            if kind == 1:
                line[x] = (line[x] + a) & 255
            elif kind == 2:
                line[x] = (line[x] + b) & 255
            elif kind == 3:
                line[x] = (line[x] + ((a + b) >> 1)) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(line)
        previous = line
    return width, height, rows


def area_weights(source: int, target: int) -> list:
    """For each target pixel, the source pixels it covers and how much."""
    scale = source / target
    weights = []
    for t in range(target):
        start, end = t * scale, (t + 1) * scale
        weights.append([(s, (min(end, s + 1) - max(start, s)) / scale)
                        for s in range(int(start), min(source, int(end) + 1)) if min(end, s + 1) > max(start, s)])
    return weights


def apple_touch_icon(icon_png: bytes, size: int) -> bytes:
    """The icon scaled to `size` x `size` by area averaging, on black."""
    width, height, rows = read_png_rgba(icon_png)
    # On black: each colour times its alpha, which also weighs the averaging.
    premultiplied = [[[row[x * 4 + k] * row[x * 4 + 3] / 255 for k in range(3)] for x in range(width)]
                     for row in rows]
    across = area_weights(width, size)
    down = area_weights(height, size)
    narrow = [[[sum(line[s][k] * w for s, w in across[x]) for k in range(3)] for x in range(size)]
              for line in premultiplied]
    out = bytearray()
    for y in range(size):
        out.append(0)  # no filter
        for x in range(size):
            for k in range(3):
                out.append(min(255, round(sum(narrow[s][x][k] * w for s, w in down[y]))))

    def chunk(kind: bytes, body: bytes) -> bytes:
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    header = struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0)
    return (PNG_SIGNATURE + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(out), 9))
            + chunk(b"IEND", b""))


def copy_tree(source: Path, target: Path) -> None:
    for path in sorted(source.rglob("*")):
        if path.is_file():
            destination = target / path.relative_to(source)
            destination.parent.mkdir(parents=True, exist_ok=True)
            if not destination.exists() or destination.read_bytes() != path.read_bytes():
                shutil.copyfile(path, destination)


def translations(ts_file: Path) -> tuple:
    """({context: {source: translation}} for every finished translation,
    {(context, source)} of every message the file still has)."""
    root = ElementTree.parse(ts_file).getroot()
    result = {}
    present = set()
    for context in root.iter("context"):
        name = context.findtext("name", default="")
        texts = {}
        for message in context.iter("message"):
            source = message.findtext("source")
            translation = message.find("translation")
            if source is None or translation is None:
                continue
            if translation.get("type") in ("obsolete", "vanished"):
                continue
            present.add((name, source))
            if translation.get("type") == "unfinished":
                continue
            if translation.text:
                texts[source] = translation.text
        if texts:
            result[name] = texts
    return result, present


def page_texts(header: Path) -> dict:
    """{name: (context, English text)} from web/page_texts.h."""
    text = header.read_text(encoding="utf-8")
    literal = r'"(?:[^"\\]|\\.)*"'
    entry = re.compile(r'\{\s*"(\w+)",\s*QT_TRANSLATE_NOOP\(\s*"(\w+)",\s*((?:' + literal + r'\s*)+)\)\s*\}')
    result = {}
    for name, context, literals in entry.findall(text):
        parts = re.findall(literal, literals)
        english = "".join(json.loads(part.replace("\\'", "'")) for part in parts)
        result[name] = (context, english)
    if not result:
        raise SystemExit(f"{header}: no texts found")
    return result


def write_if_changed(path: Path, text: str) -> None:
    path.parent.mkdir(parents=True, exist_ok=True)
    if not path.exists() or path.read_text(encoding="utf-8") != text:
        path.write_text(text, encoding="utf-8")


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--source", type=Path, required=True, help="the project's root")
    parser.add_argument("--site", type=Path, required=True, help="the site folder to fill")
    parser.add_argument("--version", required=True, help="the game's version")
    args = parser.parse_args()
    source, site = args.source, args.site

    copy_tree(source / "web" / "site", site)
    copy_tree(source / "assets" / "images", site / "images")
    for size in ICON_SIZES:
        icon = source / "data" / "icons" / "hicolor" / size / "apps" / f"{APP_ID}.png"
        (site / "icons").mkdir(parents=True, exist_ok=True)
        shutil.copyfile(icon, site / "icons" / f"{size.split('x')[0]}.png")
    largest = source / "data" / "icons" / "hicolor" / ICON_SIZES[-1] / "apps" / f"{APP_ID}.png"
    touch_icon = site / "icons" / "apple-touch-icon.png"
    # Made again only when the icon changed: the digest it was made from is
    # kept beside the site, not in it.
    made_from = site.parent / f"{site.name}-apple-touch-icon.sha256"
    digest_of_icon = hashlib.sha256(largest.read_bytes()).hexdigest()
    if not touch_icon.exists() or not made_from.exists() or made_from.read_text() != digest_of_icon:
        touch_icon.write_bytes(apple_touch_icon(largest.read_bytes(), APPLE_TOUCH_ICON_SIZE))
        made_from.write_text(digest_of_icon)
    shutil.copyfile(source / "assets" / "CREDITS", site / "CREDITS.txt")

    # One file per language, {name: text}; a text not translated stays
    # English.
    texts = page_texts(source / "web" / "page_texts.h")
    languages = {"en": {name: english for name, (_, english) in texts.items()}}
    for ts_file in sorted((source / "translations").glob("frostpane_*.ts")):
        translated, present = translations(ts_file)
        # A text under a context the translations no longer have would stay
        # English for good without a word: the desktop moved it, lupdate
        # must run, or the context here is wrong.
        lost = sorted(name for name, key in texts.items() if key not in present)
        if lost:
            raise SystemExit(f"{ts_file.name} lacks the page's texts {', '.join(lost)} under their contexts")
        languages[ts_file.stem.split("_", 1)[1]] = {
            name: translated.get(context, {}).get(english, english) for name, (context, english) in texts.items()}
    for language, table in languages.items():
        write_if_changed(site / "i18n" / f"{language}.json",
                         json.dumps(table, ensure_ascii=False, sort_keys=True, indent=1) + "\n")
    write_if_changed(site / "i18n" / "languages.json", json.dumps(sorted(languages)) + "\n")
    write_if_changed(site / "version.json", json.dumps({"version": args.version}) + "\n")

    # The service worker: every file but itself, under a name that changes
    # with their contents.
    files = sorted(p for p in site.rglob("*") if p.is_file() and p.name not in NOT_CACHED
                   and p.relative_to(site).as_posix() != "precache.json")
    digest = hashlib.sha256()
    listed = []
    for path in files:
        relative = path.relative_to(site).as_posix()
        digest.update(relative.encode() + b"\0" + path.read_bytes())
        listed.append("./" + relative)
    write_if_changed(site / "precache.json", json.dumps(listed, indent=1) + "\n")
    worker = (source / "web" / "service_worker.js").read_text(encoding="utf-8")
    write_if_changed(site / "sw.js", worker.replace("@CACHE_VERSION@", digest.hexdigest()[:16]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
