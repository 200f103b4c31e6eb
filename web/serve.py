#!/usr/bin/env python3
"""Serves the browser edition from its site folder on this computer only.

A small static server: every file with its right type (.wasm as
application/wasm, for the browser's streaming compile), the game's
Content-Security-Policy and a few other headers on every answer, and no
caching by the browser beyond what the service worker keeps. Stops on Ctrl-C.

    web/serve.py [--port 8080] [--bind 127.0.0.1] [--host NAME]... [SITE]

It answers only for its own address and names (127.0.0.1, localhost, [::1],
what --bind and --host name, with its port): a page of another domain that
points its name at this computer (DNS rebinding) gets 421 and nothing of the
site. It sends only regular files that really lie in the site folder (a
symlink out of it is not followed), lists no folder, and holds a bounded
number of connections with timeouts, so that slow or idle clients cannot
keep a family's browser out.
"""

import argparse
import asyncio
import email.utils
import errno
import ipaddress
import mimetypes
import os
import socket
import stat
import sys
import urllib.parse
from pathlib import Path

try:
    import resource
except ImportError:  # Windows: no open-file limit to read
    resource = None

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

REASONS = {
    200: "OK", 301: "Moved Permanently", 304: "Not Modified", 400: "Bad Request", 404: "Not Found",
    405: "Method Not Allowed", 421: "Misdirected Request", 431: "Request Header Fields Too Large",
    500: "Internal Server Error", 505: "HTTP Version Not Supported",
}

# A request's line and headers: a browser's are well under this.
HEAD_LIMIT = 16384
# How long a connection may take to send a whole request (from its opening,
# or from the end of the answer before), and how long an answer may wait for
# a client that does not read it.
HEAD_SECONDS = 10
SEND_SECONDS = 30
CHUNK = 256 * 1024
# Connections held at once: at most this many, and at most a quarter of the
# files the process may open, so that accepting one never fails for want of
# a file descriptor. When all are taken, the one that has waited longest for
# its request makes room.
MOST_CONNECTIONS = 256

LOOPBACK_NAMES = ("127.0.0.1", "localhost", "[::1]")


class Answer(Exception):
    """An answer with no file: `status`, and whether the connection must end."""

    def __init__(self, status, headers=None, close=False):
        super().__init__(status)
        self.status = status
        self.headers = headers or {}
        self.close = close


def connection_limit() -> int:
    if resource is None:
        return MOST_CONNECTIONS
    soft, _ = resource.getrlimit(resource.RLIMIT_NOFILE)
    if soft == resource.RLIM_INFINITY:
        return MOST_CONNECTIONS
    return max(4, min(MOST_CONNECTIONS, soft // 4))


def host_name(bind: str) -> str:
    return f"[{bind}]" if ":" in bind else bind


def is_wildcard(bind: str) -> bool:
    return bind in ("", "0.0.0.0", "::")


class Site:
    """What the server may send: regular files whose real path lies in
    `root`, by their URL path."""

    def __init__(self, root: Path):
        self.root = os.path.realpath(root)

    def inside(self, path: str) -> bool:
        return path == self.root or path.startswith(self.root + os.sep)

    def find(self, url_path: str) -> str:
        """The real path of the file `url_path` names; Answer(404) for
        anything else, Answer(301) for a folder named without its slash."""
        try:
            decoded = urllib.parse.unquote(url_path, errors="strict")
        except UnicodeDecodeError:
            raise Answer(404) from None
        if "\0" in decoded or "\\" in decoded or not decoded.startswith("/"):
            raise Answer(404)
        parts = [part for part in decoded.split("/") if part not in ("", ".")]
        if ".." in parts:
            raise Answer(404)
        path = os.path.realpath(os.path.join(self.root, *parts))
        if not self.inside(path):
            raise Answer(404)
        try:
            info = os.stat(path)
        except (OSError, ValueError):
            raise Answer(404) from None
        if stat.S_ISDIR(info.st_mode):
            # A folder is its index page; without one it is not there.
            index = os.path.realpath(os.path.join(path, "index.html"))
            if not self.inside(index) or not os.path.isfile(index):
                raise Answer(404)
            if not url_path.endswith("/"):
                raise Answer(301, {"Location": url_path + "/"})
            return index
        if not stat.S_ISREG(info.st_mode):
            raise Answer(404)
        return path


class Server:
    def __init__(self, site: Site, port: int, hosts: set, any_address: bool, verbose: bool):
        self.site = site
        self.port = port
        self.hosts = hosts  # lowercase names without the port
        self.any_address = any_address
        self.verbose = verbose
        self.limit = connection_limit()
        self.open = set()  # every connection's writer
        self.waiting = {}  # writer -> None, for those waiting for a request, oldest first

    def log(self, text: str) -> None:
        if self.verbose:
            print(text, file=sys.stderr, flush=True)

    # ---- Connections -------------------------------------------------------

    async def connection(self, reader, writer):
        self.open.add(writer)
        self.waiting[writer] = None
        if len(self.open) > self.limit and not self.make_room(writer):
            self.drop(writer)
            return
        try:
            while await self.answer_one(reader, writer):
                self.waiting[writer] = None
        except (ConnectionError, asyncio.IncompleteReadError, asyncio.TimeoutError):
            pass  # a tab closed or a client went quiet: nothing went wrong here
        except Exception as error:  # noqa: BLE001 - one line, and the server goes on
            print(f"serve.py: {type(error).__name__}: {error}", file=sys.stderr, flush=True)
        finally:
            self.drop(writer)

    def make_room(self, newcomer) -> bool:
        for writer in self.waiting:
            if writer is not newcomer:
                self.drop(writer)
                return True
        return False

    def drop(self, writer) -> None:
        self.waiting.pop(writer, None)
        if writer in self.open:
            self.open.discard(writer)
            writer.transport.abort()

    # ---- Requests ----------------------------------------------------------

    async def answer_one(self, reader, writer) -> bool:
        """Answers one request; True when the connection stays for the next."""
        try:
            head = await asyncio.wait_for(reader.readuntil(b"\r\n\r\n"), HEAD_SECONDS)
        except asyncio.LimitOverrunError:
            await self.send_error(writer, Answer(431, close=True), head_only=False)
            return False
        self.waiting.pop(writer, None)
        if writer not in self.open:
            return False  # made room for another meanwhile
        try:
            method, target, version, headers = parse(head)
        except Answer as answer:
            await self.send_error(writer, answer, head_only=False)
            return False
        keep = version == "HTTP/1.1" and "close" not in headers.get("connection", "").lower()
        # A request with a body is not one this server knows how to skip.
        if "transfer-encoding" in headers or headers.get("content-length", "0") != "0":
            keep = False
        head_only = method == "HEAD"
        try:
            self.check_host(headers)
            if method not in ("GET", "HEAD"):
                raise Answer(405, {"Allow": "GET, HEAD"})
            path, _, query = target.partition("?")
            path = path.partition("#")[0]
            try:
                file = self.site.find(path)
            except Answer as answer:
                if answer.status == 301 and query:
                    answer.headers["Location"] += "?" + query
                raise
            await self.send_file(writer, file, headers, head_only, keep)
            self.log(f"{method} {target} 200")
        except Answer as answer:
            answer.close = answer.close or not keep
            self.log(f"{method} {target} {answer.status}")
            await self.send_error(writer, answer, head_only)
            return not answer.close
        return keep

    def check_host(self, headers) -> None:
        host = headers.get("host")
        if not host:
            raise Answer(400, close=True)
        name, port = split_host(host.lower())
        if port != self.port and not (port is None and self.port == 80):
            raise Answer(421)
        if name in self.hosts:
            return
        # Bound to every address: any of the computer's addresses is its own,
        # and an address cannot be rebound as a domain name can.
        if self.any_address:
            try:
                ipaddress.ip_address(name.strip("[]"))
                return
            except ValueError:
                pass
        raise Answer(421)

    async def send_file(self, writer, path, headers, head_only, keep) -> None:
        try:
            file = open(path, "rb")  # noqa: SIM115 - closed below, after the last chunk
        except OSError:
            raise Answer(404) from None
        with file:
            info = os.fstat(file.fileno())
            if not stat.S_ISREG(info.st_mode):
                raise Answer(404)
            modified = int(info.st_mtime)
            fields = {
                "Content-Type": content_type(path),
                "Last-Modified": email.utils.formatdate(modified, usegmt=True),
            }
            if not_modified_since(headers, modified):
                await self.send_head(writer, 304, fields, keep)
                return
            fields["Content-Length"] = str(info.st_size)
            await self.send_head(writer, 200, fields, keep)
            if head_only:
                return
            while chunk := file.read(CHUNK):
                writer.write(chunk)
                await asyncio.wait_for(writer.drain(), SEND_SECONDS)

    async def send_error(self, writer, answer, head_only) -> None:
        body = f"{answer.status} {REASONS[answer.status]}\n".encode()
        fields = {"Content-Type": "text/plain; charset=utf-8", "Content-Length": str(len(body)), **answer.headers}
        await self.send_head(writer, answer.status, fields, not answer.close, b"" if head_only else body)

    async def send_head(self, writer, status, fields, keep, body=b"") -> None:
        lines = [f"HTTP/1.1 {status} {REASONS[status]}",
                 f"Date: {email.utils.formatdate(usegmt=True)}",
                 f"Connection: {'keep-alive' if keep else 'close'}"]
        lines += [f"{name}: {value}" for name, value in {**fields, **HEADERS}.items()]
        writer.write(("\r\n".join(lines) + "\r\n\r\n").encode("latin-1") + body)
        await asyncio.wait_for(writer.drain(), SEND_SECONDS)


def parse(head: bytes) -> tuple:
    """(method, target, version, {lowercase name: value}) of a request head;
    Answer(400) or Answer(505) where it is not one."""
    lines = head.decode("latin-1").split("\r\n")[:-2]
    parts = lines[0].split(" ") if lines else []
    if len(parts) != 3:
        raise Answer(400, close=True)
    method, target, version = parts
    if version not in ("HTTP/1.0", "HTTP/1.1"):
        raise Answer(505, close=True)
    if not target.startswith("/"):
        raise Answer(400, close=True)
    headers = {}
    for line in lines[1:]:
        name, colon, value = line.partition(":")
        if not colon or not name or name != name.strip():
            raise Answer(400, close=True)
        name = name.lower()
        # Two Host headers could mean two sites; two of the rest, one list.
        if name in headers and name in ("host", "content-length"):
            raise Answer(400, close=True)
        value = value.strip()
        headers[name] = f"{headers[name]}, {value}" if name in headers else value
    return method, target, version, headers


def split_host(host: str) -> tuple:
    """(name, port) of a Host header's value: port None when it has none,
    -1 when it is not a number."""
    if host.startswith("["):
        end = host.find("]")
        if end < 0:
            return host, -1
        name, rest = host[:end + 1], host[end + 1:]
    else:
        name, colon, port = host.partition(":")
        rest = colon + port
    if not rest:
        return name, None
    if rest[0] != ":" or not rest[1:].isdigit():
        return name, -1
    return name, int(rest[1:])


def content_type(path: str) -> str:
    suffix = os.path.splitext(path)[1].lower()
    return TYPES.get(suffix) or mimetypes.guess_type(path)[0] or "application/octet-stream"


def not_modified_since(headers, modified: int) -> bool:
    since = headers.get("if-modified-since")
    if not since or "if-none-match" in headers:
        return False
    try:
        when = email.utils.parsedate_to_datetime(since)
    except (TypeError, ValueError):
        return False
    return when.tzinfo is not None and modified <= when.timestamp()


async def serve(args) -> int:
    site = Site(args.site)
    hosts = {name.lower() for name in LOOPBACK_NAMES}
    hosts |= {host_name(name).lower() for name in args.host}
    any_address = is_wildcard(args.bind)
    if any_address:
        name = socket.gethostname().lower()
        hosts |= {name, f"{name}.local"}
    else:
        hosts.add(host_name(args.bind).lower())
    server = Server(site, args.port, hosts, any_address, args.verbose)
    loop = asyncio.get_running_loop()
    # What asyncio would log with a traceback (an accept that failed) in one
    # line.
    loop.set_exception_handler(
        lambda _, context: print(f"serve.py: {context.get('message')}: {context.get('exception', '')}",
                                 file=sys.stderr, flush=True))
    try:
        listening = await asyncio.start_server(server.connection, args.bind or None, args.port,
                                               limit=HEAD_LIMIT, backlog=128)
    except OSError as error:
        if error.errno == errno.EADDRINUSE:
            print(f"serve.py: port {args.port} is in use", file=sys.stderr)
        else:
            print(f"serve.py: cannot listen on {host_name(args.bind)}:{args.port}: {error.strerror or error}",
                  file=sys.stderr)
        return 1
    port = listening.sockets[0].getsockname()[1]
    server.port = port
    print(f"Frostpane in the browser: http://{host_name(args.bind)}:{port}/  (Ctrl-C stops)", flush=True)
    async with listening:
        await listening.serve_forever()
    return 0


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("site", nargs="?", type=Path,
                        default=Path(__file__).resolve().parent.parent / "build-wasm" / "site")
    parser.add_argument("--port", type=int, default=8080)
    parser.add_argument("--bind", default="127.0.0.1", help="the address to listen on")
    parser.add_argument("--host", action="append", default=[], metavar="NAME",
                        help="another name the computer is reached by (e.g. its name on a school's network)")
    parser.add_argument("--verbose", action="store_true", help="log every request")
    args = parser.parse_args()
    if not (args.site / "index.html").is_file():
        print(f"serve.py: no site in {args.site} (build it first: ./run.sh --web)", file=sys.stderr)
        return 1
    try:
        return asyncio.run(serve(args))
    except KeyboardInterrupt:
        return 0


if __name__ == "__main__":
    sys.exit(main())
