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
import sys
import xml.etree.ElementTree as ElementTree
from pathlib import Path

APP_ID = "io.github.frostpane.Frostpane"
ICON_SIZES = ("48x48", "64x64", "128x128", "256x256", "512x512")
# Files the service worker never keeps: itself (the browser checks it for
# updates on its own) and what the build leaves beside the modules.
NOT_CACHED = {"sw.js"}


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
