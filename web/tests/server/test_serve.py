#!/usr/bin/env python3
"""web/serve.py as a family's browser and a hostile page meet it: a small
site with a symlink out of it, folders with and without an index, and the
server started on a loopback port of its own for each group of cases.

    python3 web/tests/server/test_serve.py
"""

import errno
import os
import resource
import socket
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

SERVE = Path(__file__).resolve().parents[2] / "serve.py"
# How long a test waits for any one answer: the server answers at once or
# not at all, so this only bounds a failing run.
ANSWER_SECONDS = 10


def make_site(root: Path) -> None:
    (root / "index.html").write_text("<!doctype html><title>site</title>\n")
    (root / "js").mkdir()
    (root / "js" / "main.js").write_text("export const answer = 42;\n")
    (root / "module").mkdir()
    (root / "module" / "game.wasm").write_bytes(b"\0asm\1\0\0\0")
    (root / "help").mkdir()
    (root / "help" / "index.html").write_text("<!doctype html><title>help</title>\n")
    # Out of the site: a folder and a file a careless server would follow.
    outside = root.parent / "outside"
    outside.mkdir()
    (outside / "secret.txt").write_text("not for the browser\n")
    (root / "leak").symlink_to("/etc")
    (root / "secret.txt").symlink_to(outside / "secret.txt")
    (root / "away").symlink_to(outside)
    # Inside the site, a symlink is as good as its target.
    (root / "same.js").symlink_to(root / "js" / "main.js")


def free_port() -> int:
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Server:
    """serve.py on a port of its own; `limit` sets the open-file limit the
    server runs under (Debian's default is 1024)."""

    def __init__(self, site: Path, *options, limit=None):
        self.port = free_port()

        def set_limit():
            if limit:
                resource.setrlimit(resource.RLIMIT_NOFILE, (limit, limit))

        self.process = subprocess.Popen(
            [sys.executable, str(SERVE), "--port", str(self.port), *options, str(site)],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, preexec_fn=set_limit)
        # The first line says where it listens: it is ready then.
        self.first_line = self.process.stdout.readline()

    def stop(self) -> str:
        self.process.terminate()
        _, errors = self.process.communicate(timeout=ANSWER_SECONDS)
        return errors


def ask(port: int, target: str, host=None, method="GET", address="127.0.0.1") -> tuple:
    """(status, headers {lowercase name: value}, body) of one request sent as
    bytes, so that a path reaches the server exactly as written."""
    host = f"127.0.0.1:{port}" if host is None else host
    family = socket.AF_INET6 if ":" in address else socket.AF_INET
    with socket.socket(family) as s:
        s.settimeout(ANSWER_SECONDS)
        s.connect((address, port))
        s.sendall(f"{method} {target} HTTP/1.1\r\nHost: {host}\r\nConnection: close\r\n\r\n".encode("latin-1"))
        data = b""
        while chunk := s.recv(65536):
            data += chunk
    head, _, body = data.partition(b"\r\n\r\n")
    lines = head.decode("latin-1").split("\r\n")
    status = int(lines[0].split(" ")[1]) if lines[0] else 0
    headers = {}
    for line in lines[1:]:
        name, _, value = line.partition(":")
        headers[name.strip().lower()] = value.strip()
    return status, headers, body


class TestServe(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        cls.site = Path(cls.folder.name) / "site"
        cls.site.mkdir()
        make_site(cls.site)
        cls.server = Server(cls.site, "--host", "school.test")
        cls.port = cls.server.port

    @classmethod
    def tearDownClass(cls):
        errors = cls.server.stop()
        cls.folder.cleanup()
        # Nothing a client sent made the server print a traceback.
        assert "Traceback" not in errors, errors

    def test_paths(self):
        # (case, path, status, the file whose bytes come back)
        cases = [
            ("the page", "/", 200, "index.html"),
            ("a script, with its type", "/js/main.js", 200, "js/main.js"),
            ("a query string is not part of the name", "/js/main.js?v=3", 200, "js/main.js"),
            ("a percent-encoded name", "/js/m%61in.js", 200, "js/main.js"),
            ("a symlink within the site", "/same.js", 200, "js/main.js"),
            ("a folder's own index", "/help/", 200, "help/index.html"),
            ("a symlinked folder out of the site", "/leak/passwd", 404, None),
            ("a symlinked file out of the site", "/secret.txt", 404, None),
            ("a file through a symlinked folder", "/away/secret.txt", 404, None),
            ("a NUL in the path", "/index.html%00", 404, None),
            ("a NUL alone", "/%00", 404, None),
            ("a NUL in a folder's name", "/js%00/main.js", 404, None),
            ("dot-dot", "/../../../etc/passwd", 404, None),
            ("encoded dot-dot", "/js/%2e%2e/%2e%2e/%2e%2e/etc/passwd", 404, None),
            ("a folder is not listed", "/js/", 404, None),
            ("nor without its slash", "/js", 404, None),
            ("nor the module's folder", "/module/", 404, None),
            ("a missing file", "/nothing.js", 404, None),
            ("not UTF-8", "/%ff%fe.js", 404, None),
        ]
        for case, path, status, file in cases:
            with self.subTest(case, path=path):
                got, headers, body = ask(self.port, path)
                self.assertEqual(got, status)
                if file:
                    self.assertEqual(body, (self.site / file).read_bytes())
                else:
                    self.assertNotIn(b"root:", body)
                    self.assertNotIn(b"not for the browser", body)
                    self.assertNotIn(b"main.js", body)
                # The game's policy goes with every answer, errors included.
                self.assertIn("script-src 'self'", headers.get("content-security-policy", ""))
        _, headers, _ = ask(self.port, "/js/main.js")
        self.assertEqual(headers["content-type"], "text/javascript")
        _, headers, _ = ask(self.port, "/module/game.wasm")
        self.assertEqual(headers["content-type"], "application/wasm")

    def test_a_folder_named_without_its_slash_is_sent_to_it(self):
        status, headers, _ = ask(self.port, "/help?x=1")
        self.assertEqual(status, 301)
        self.assertEqual(headers["location"], "/help/?x=1")

    def test_host_names(self):
        port = self.port
        # (case, Host header, status)
        cases = [
            ("its address", f"127.0.0.1:{port}", 200),
            ("localhost", f"localhost:{port}", 200),
            ("localhost in capitals", f"LocalHost:{port}", 200),
            ("the IPv6 loopback", f"[::1]:{port}", 200),
            ("a name --host gives", f"school.test:{port}", 200),
            ("a rebinding domain", f"attacker.example:{port}", 421),
            ("a rebinding domain without a port", "attacker.example", 421),
            ("a name that ends like localhost", f"evil-localhost:{port}", 421),
            ("a subdomain of an allowed name", f"a.school.test:{port}", 421),
            ("another port", f"127.0.0.1:{port + 1}", 421),
            ("no port", "127.0.0.1", 421),
            ("another loopback address", f"127.0.0.2:{port}", 421),
            ("empty", "", 400),
        ]
        for case, host, status in cases:
            with self.subTest(case, host=host):
                got, _, body = ask(port, "/", host=host)
                self.assertEqual(got, status)
                if status != 200:
                    self.assertNotIn(b"<title>site", body)

    def test_methods(self):
        status, headers, body = ask(self.port, "/index.html", method="HEAD")
        self.assertEqual((status, body), (200, b""))
        self.assertEqual(int(headers["content-length"]), (self.site / "index.html").stat().st_size)
        status, headers, _ = ask(self.port, "/index.html", method="POST")
        self.assertEqual(status, 405)
        self.assertEqual(headers["allow"], "GET, HEAD")

    def test_an_unchanged_file_is_not_sent_again(self):
        _, headers, _ = ask(self.port, "/js/main.js")
        with socket.create_connection(("127.0.0.1", self.port), timeout=ANSWER_SECONDS) as s:
            s.sendall(f"GET /js/main.js HTTP/1.1\r\nHost: 127.0.0.1:{self.port}\r\n"
                      f"If-Modified-Since: {headers['last-modified']}\r\nConnection: close\r\n\r\n".encode())
            answer = s.makefile("rb").read()
        self.assertTrue(answer.startswith(b"HTTP/1.1 304 "), answer[:40])

    def test_keeps_the_connection_for_the_next_request(self):
        with socket.create_connection(("127.0.0.1", self.port), timeout=ANSWER_SECONDS) as s:
            request = f"GET /js/main.js HTTP/1.1\r\nHost: 127.0.0.1:{self.port}\r\n\r\n".encode()
            s.sendall(request + request)
            reader = s.makefile("rb")
            for _ in range(2):
                self.assertTrue(reader.readline().startswith(b"HTTP/1.1 200 "))
                length = 0
                while (line := reader.readline()) != b"\r\n":
                    name, _, value = line.decode().partition(":")
                    if name.lower() == "content-length":
                        length = int(value)
                self.assertEqual(reader.read(length), (self.site / "js/main.js").read_bytes())


class TestServeStarts(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.addCleanup(self.folder.cleanup)
        self.site = Path(self.folder.name) / "site"
        self.site.mkdir()
        make_site(self.site)

    def test_a_port_in_use_is_said_in_one_line(self):
        with socket.socket() as taken:
            taken.bind(("127.0.0.1", 0))
            taken.listen()
            port = taken.getsockname()[1]
            result = subprocess.run([sys.executable, str(SERVE), "--port", str(port), str(self.site)],
                                    capture_output=True, text=True, timeout=ANSWER_SECONDS)
        self.assertNotEqual(result.returncode, 0)
        self.assertEqual(result.stderr.strip(), f"serve.py: port {port} is in use")
        self.assertEqual(result.stdout, "")

    def test_its_own_name_when_bound_to_another_address(self):
        server = Server(self.site, "--bind", "::1")
        try:
            status, _, _ = ask(server.port, "/", host=f"[::1]:{server.port}", address="::1")
            self.assertEqual(status, 200)
            status, _, _ = ask(server.port, "/", host=f"rebound.example:{server.port}", address="::1")
            self.assertEqual(status, 421)
        finally:
            self.assertNotIn("Traceback", server.stop())

    def test_serves_while_slow_clients_hold_more_connections_than_it_may_open(self):
        # Under Debian's default limit of 1024 open files, more idle
        # connections than that, and some that send half a request and stop.
        idle_count = 1100
        soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
        wanted = idle_count + 200
        if hard != resource.RLIM_INFINITY and hard < wanted:
            self.skipTest(f"this test needs {wanted} open files, the limit is {hard}")
        resource.setrlimit(resource.RLIMIT_NOFILE, (max(soft, wanted), hard))
        self.addCleanup(resource.setrlimit, resource.RLIMIT_NOFILE, (soft, hard))

        server = Server(self.site, limit=1024)
        held = []
        try:
            for n in range(idle_count):
                s = socket.create_connection(("127.0.0.1", server.port), timeout=ANSWER_SECONDS)
                held.append(s)
                if n % 100 == 0:
                    s.sendall(f"GET / HTTP/1.1\r\nHost: 127.0.0.1:{server.port}\r\n".encode())
            # Another family's browser is served meanwhile, more than once.
            for _ in range(3):
                status, _, body = ask(server.port, "/js/main.js")
                self.assertEqual(status, 200)
                self.assertEqual(body, (self.site / "js/main.js").read_bytes())
        finally:
            for s in held:
                s.close()
            self.assertNotIn("Traceback", server.stop())


if __name__ == "__main__":
    unittest.main(verbosity=2)
