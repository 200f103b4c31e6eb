#!/usr/bin/env python3
"""Serves the browser edition from its site folder on this computer only.

A small static server: every file with its right type (.wasm as
application/wasm, for the browser's streaming compile), the game's
Content-Security-Policy and a few other headers on every answer, and no
caching by the browser beyond what the service worker keeps. Stops on Ctrl-C.

    web/serve.py [--port 8080] [--bind 127.0.0.1] [SITE]
"""

import argparse
import functools
import http.server
import sys
from pathlib import Path

# Scripts from the page's own origin only, none inline; the modules may be
# compiled ('wasm-unsafe-eval'); nothing is fetched from elsewhere.
CONTENT_SECURITY_POLICY = "; ".join([
    "default-src 'self'",
    "script-src 'self' 'wasm-unsafe-eval'",
    "style-src 'self'",
    "img-src 'self' blob:",
    "media-src 'self' blob: mediastream:",
    "connect-src 'self'",
    "worker-src 'self'",
    "manifest-src 'self'",
    "font-src 'self'",
    "object-src 'none'",
    "base-uri 'none'",
    "form-action 'none'",
    "frame-ancestors 'none'",
])

HEADERS = {
    "Content-Security-Policy": CONTENT_SECURITY_POLICY,
    "X-Content-Type-Options": "nosniff",
    "Referrer-Policy": "no-referrer",
    "Cross-Origin-Opener-Policy": "same-origin",
    "Cross-Origin-Resource-Policy": "same-origin",
    "Permissions-Policy": "camera=(self), microphone=(), geolocation=(), fullscreen=(self)",
    # The browser asks again each time; offline, the service worker answers.
    "Cache-Control": "no-cache",
}

TYPES = {
    ".wasm": "application/wasm",
    ".js": "text/javascript",
    ".mjs": "text/javascript",
    ".json": "application/json",
    ".webmanifest": "application/manifest+json",
    ".html": "text/html; charset=utf-8",
    ".css": "text/css; charset=utf-8",
    ".png": "image/png",
    ".svg": "image/svg+xml",
    ".txt": "text/plain; charset=utf-8",
}


class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map, **TYPES}

    def end_headers(self):
        for name, value in HEADERS.items():
            self.send_header(name, value)
        super().end_headers()

    def log_message(self, format, *args):  # noqa: A002 - the base class's name
        if self.server.verbose:
            super().log_message(format, *args)


class Server(http.server.ThreadingHTTPServer):
    def handle_error(self, request, client_address):
        # A tab closed while a file was on its way: nothing went wrong here.
        if isinstance(sys.exc_info()[1], ConnectionError):
            return
        super().handle_error(request, client_address)


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("site", nargs="?", type=Path,
                        default=Path(__file__).resolve().parent.parent / "build-wasm" / "site")
    parser.add_argument("--port", type=int, default=8080)
    parser.add_argument("--bind", default="127.0.0.1")
    parser.add_argument("--verbose", action="store_true", help="log every request")
    args = parser.parse_args()
    if not (args.site / "index.html").is_file():
        print(f"serve.py: no site in {args.site} (build it first: ./run.sh --web)", file=sys.stderr)
        return 1
    handler = functools.partial(Handler, directory=str(args.site))
    server = Server((args.bind, args.port), handler)
    server.verbose = args.verbose
    host = f"[{args.bind}]" if ":" in args.bind else args.bind
    print(f"Frostpane in the browser: http://{host}:{server.server_address[1]}/  (Ctrl-C stops)", flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
