#!/usr/bin/env python3
"""A small web server for the tests: serves FOLDER on 127.0.0.1 on a free
port and prints that port on its first line of output. With LOG, every
request line is appended to that file as it comes, so that a test can see
what reached the server.

The path /to-local redirects to a local file URL, which no client of
ours may follow. Any path under /stall/ answers with a long document, sends its first block
and then goes silent, as a server that hangs in the middle of a transfer.
A path /slow/NAME serves the file NAME of the folder in twenty pieces a
second apart, as a slow server does.
Missing files are answered 404 as usual.
"""
import http.server
import sys
import time


class Handler(http.server.SimpleHTTPRequestHandler):
    log_path = None

    def do_GET(self):
        if Handler.log_path:
            with open(Handler.log_path, "a") as log:
                log.write(self.requestline + "\n")
        if self.path == "/to-local":
            self.send_response(302)
            self.send_header("Location", "file:///etc/hostname")
            self.end_headers()
            return
        if self.path.startswith("/stall/"):
            self.send_response(200)
            self.send_header("Content-Length", "1000000")
            self.end_headers()
            self.wfile.write(b"#" * 1000)
            self.wfile.flush()
            time.sleep(60)
            return
        if self.path.startswith("/slow/"):
            self.serve_slowly(self.path[len("/slow/"):])
            return
        super().do_GET()

    def serve_slowly(self, name):
        try:
            with open(self.translate_path("/" + name), "rb") as document:
                body = document.read()
        except OSError:
            self.send_error(404)
            return
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        piece = max(1, -(-len(body) // 20))
        try:
            for start in range(0, len(body), piece):
                time.sleep(1)
                self.wfile.write(body[start:start + piece])
                self.wfile.flush()
        except (BrokenPipeError, ConnectionResetError):
            pass

    def log_message(self, format, *args):
        pass


def main():
    folder = sys.argv[1]
    Handler.log_path = sys.argv[2] if len(sys.argv) > 2 else None
    server = http.server.ThreadingHTTPServer(
        ("127.0.0.1", 0), lambda *a, **k: Handler(*a, directory=folder, **k))
    server.daemon_threads = True
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
