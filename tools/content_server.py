#!/usr/bin/env python3
"""A local content server for tests, benchmarks and the demo.

Serves the files of one folder on 127.0.0.1 on a free port and prints the port (also written to --port-file).
Fault modes are chosen by a path prefix in front of the file's path:

  /404/<path>              answers 404 Not Found
  /redirect/<path>         answers 302 to /<path>
  /nolength/<path>         sends the file without Content-Length (the end is the closed connection)
  /stall/<seconds>/<path>  sends the headers, then waits before the body
  /drop/<bytes>/<path>     announces the whole length, sends <bytes> of it and closes the connection
  /garbage/<path>          answers bytes that are not HTTP at all
  /slow/<kib per s>/<path> sends the file at about that rate (for cancelling transfers in flight)

  /__log                   the request paths served so far, one a line
  /__quit                  stops the server

With --tls it speaks HTTPS with a throwaway self-signed certificate for 127.0.0.1 (made with the openssl
command), which no client that checks certificates may accept.

The server also stops when its parent process ends, so a crashed test leaves nothing behind.
"""

import argparse
import os
import posixpath
import shutil
import socket
import ssl
import subprocess
import tempfile
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"
    server_version = "VelmoraContent/1"

    def log_message(self, fmt, *args):  # quiet: tests read /__log instead
        pass

    def do_GET(self):
        raw = urllib.parse.urlsplit(self.path).path
        self.server.remember(raw)
        parts = [urllib.parse.unquote(p) for p in raw.split("/") if p]
        try:
            self.route(parts)
        except (BrokenPipeError, ConnectionResetError):
            pass

    def do_POST(self):
        length = int(self.headers.get("Content-Length", "0") or 0)
        self.rfile.read(length)
        self.do_GET()

    # -- routing --

    def route(self, parts):
        if parts == ["__quit"]:
            self.reply_text(200, "bye\n")
            threading.Thread(target=self.server.shutdown, daemon=True).start()
            return
        if parts == ["__log"]:
            self.reply_text(200, "".join(p + "\n" for p in self.server.log_copy()))
            return
        mode = parts[0] if parts else ""
        if mode == "404":
            self.reply_text(404, "not found\n")
        elif mode == "redirect":
            self.send_response(302)
            self.send_header("Location", "/" + "/".join(urllib.parse.quote(p) for p in parts[1:]))
            self.send_header("Content-Length", "0")
            self.end_headers()
        elif mode == "nolength":
            self.send_file(parts[1:], with_length=False)
        elif mode == "stall" and len(parts) >= 2:
            self.send_file(parts[2:], stall=float(parts[1]))
        elif mode == "drop" and len(parts) >= 2:
            self.send_file(parts[2:], limit=int(parts[1]))
        elif mode == "slow" and len(parts) >= 2:
            self.send_file(parts[2:], rate=int(parts[1]) * 1024)
        elif mode == "garbage":
            self.wfile.write(b"\x00\xffTHIS IS NOT HTTP\r\n\r\n\x17\x03garbage" * 8)
            self.close_connection = True
        else:
            self.send_file(parts)

    # -- answers --

    def reply_text(self, status, text):
        body = text.encode("utf-8")
        self.send_response(status)
        self.send_header("Content-Type", "text/plain; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def resolve(self, parts):
        root = self.server.root
        path = os.path.realpath(os.path.join(root, *parts)) if parts else root
        if os.path.commonpath([root, path]) != root or not os.path.isfile(path):
            return None
        return path

    def send_file(self, parts, with_length=True, stall=0.0, limit=None, rate=None):
        path = self.resolve(parts)
        if path is None:
            self.reply_text(404, "not found\n")
            return
        size = os.path.getsize(path)
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        if with_length:
            self.send_header("Content-Length", str(size))
        self.end_headers()
        self.wfile.flush()
        if stall > 0:
            time.sleep(stall)
        with open(path, "rb") as f:
            if limit is not None:
                self.wfile.write(f.read(min(limit, size)))
                self.wfile.flush()
                # A hard close: the client must see the body end early, not a tidy shutdown of a short file.
                self.connection.shutdown(socket.SHUT_RDWR)
            elif rate is not None:
                step = max(1024, rate // 20)
                while chunk := f.read(step):
                    self.wfile.write(chunk)
                    self.wfile.flush()
                    time.sleep(len(chunk) / rate)
            else:
                self.connection.sendfile(f)
        self.close_connection = True


class Server(ThreadingHTTPServer):
    daemon_threads = True
    request_queue_size = 64

    def __init__(self, root):
        super().__init__(("127.0.0.1", 0), Handler)
        self.root = os.path.realpath(root)
        self._log = []
        self._log_lock = threading.Lock()

    def remember(self, path):
        with self._log_lock:
            self._log.append(path)

    def log_copy(self):
        with self._log_lock:
            return list(self._log)


def wrap_tls(sock):
    folder = tempfile.mkdtemp(prefix="velmora_tls_")
    try:
        cert, key = os.path.join(folder, "cert.pem"), os.path.join(folder, "key.pem")
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
                        "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1",
                        "-keyout", key, "-out", cert], check=True, capture_output=True)
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(cert, key)
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    return context.wrap_socket(sock, server_side=True)


def watch_parent(server, parent):
    while True:
        time.sleep(0.5)
        if os.getppid() != parent:
            server.shutdown()
            return


def main():
    parser = argparse.ArgumentParser(description="Local content server with fault modes")
    parser.add_argument("--root", required=True, help="folder to serve")
    parser.add_argument("--port-file", help="also write the port here (written whole, then renamed)")
    parser.add_argument("--tls", action="store_true", help="HTTPS with a self-signed certificate")
    args = parser.parse_args()

    server = Server(args.root)
    if args.tls:
        server.socket = wrap_tls(server.socket)
    port = server.server_address[1]
    if args.port_file:
        temp = args.port_file + ".part"
        with open(temp, "w") as f:
            f.write("%d\n" % port)
        os.replace(temp, args.port_file)
    print(port, flush=True)
    threading.Thread(target=watch_parent, args=(server, os.getppid()), daemon=True).start()
    try:
        server.serve_forever(poll_interval=0.2)
    finally:
        server.server_close()


if __name__ == "__main__":
    sys.exit(main())
