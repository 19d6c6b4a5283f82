#!/usr/bin/env python3
"""A stand-in for the maker's site, for the update check's tests.

    update_server.py DIR

Listens on 127.0.0.1 and talks to the test through files in DIR:
  port      written once listening: "<port> <closed port>", the second a
            port that was free a moment ago and has nothing listening
  reply     read at each request: first line "STATUS DELAY", the rest is
            the body, byte for byte; DELAY seconds pass before the answer
  requests  one block per request received: "verb", "path", each
            "header Name: value", "body", then "end"
  stop      the server ends when this file appears (or after 20 minutes)
"""
import http.server
import os
import socket
import sys
import threading
import time

DIR = sys.argv[1]


def path(name):
    return os.path.join(DIR, name)


class Handler(http.server.BaseHTTPRequestHandler):
    def answer(self):
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length else b""
        lines = [f"verb {self.command}", f"path {self.path}"]
        lines += [f"header {name}: {value}" for name, value in self.headers.items()]
        lines += ["body " + body.decode("latin-1"), "end"]
        with open(path("requests"), "a", encoding="latin-1") as log:
            log.write("\n".join(lines) + "\n")
        with open(path("reply"), "rb") as f:
            first, _, reply = f.read().partition(b"\n")
        status, delay = first.split()
        time.sleep(float(delay))
        try:
            self.send_response(int(status))
            self.send_header("Content-Length", str(len(reply)))
            self.end_headers()
            self.wfile.write(reply)
        except OSError:
            pass  # the client gave up waiting: what the slow case is for

    do_GET = do_POST = answer

    def log_message(self, *args):
        pass


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def main():
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    threading.Thread(target=server.serve_forever, daemon=True).start()
    with open(path("port.part"), "w") as f:
        f.write(f"{server.server_address[1]} {free_port()}\n")
    os.replace(path("port.part"), path("port"))
    deadline = time.time() + 20 * 60
    while not os.path.exists(path("stop")) and time.time() < deadline:
        time.sleep(0.2)
    server.shutdown()


if __name__ == "__main__":
    main()
