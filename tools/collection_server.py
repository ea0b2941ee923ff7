#!/usr/bin/env python3
"""Local collection server for velmora's usage reports (tests, demos, operators).

Listens on 127.0.0.1, takes POSTs to /c/v2/, checks the payload header and CRC-32, decodes the public record
and the records of the tables it knows into JSON lines, and answers in the binary form the reporter expects.

  collection_server.py [--port N] [--out FILE] [--mode accept|badlen|badcrc|result0] [--port-file FILE]
  collection_server.py --run [options] -- COMMAND ...   start, run COMMAND with the server's addresses in its
                                                        environment, stop, exit with COMMAND's status

The environment given to COMMAND: VELMORA_COLLECT_HOST (127.0.0.1:port), VELMORA_COLLECT_URL (.../c/v2/),
VELMORA_COLLECT_CONTROL (http://127.0.0.1:port/control), VELMORA_COLLECT_DOWN_URL (a reserved port where
nothing listens, for "server down"), VELMORA_COLLECT_OUT (the JSON lines file).

Control (plain HTTP, for tests): POST /control/mode with body accept|badlen|badcrc|result0;
POST /control/reset clears the counters and the decoded list; GET /control/stats answers
"posts=N\\nbad=M\\nmode=..." ; GET /control/records answers the decoded records, one JSON object per line.
"""
import argparse
import json
import os
import socket
import struct
import subprocess
import sys
import threading
import zlib
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

STRING_MASK = 0xA7
MODES = ("accept", "badlen", "badcrc", "result0")

# Layouts of the tables this server knows: (name, type) in schema order.
TABLES = {
    106: ("driver_startup_svc", [("autorun", "byte"), ("start_time", "int"), ("installdays", "int"),
                                 ("buildnumber", "int"), ("productinfo", "int"), ("ver", "byte"),
                                 ("last_reporttime", "int")]),
    124: ("driver_quillfen", [("show", "byte"), ("userchoice", "byte"), ("funcname", "string"),
                              ("search", "string"), ("softid", "int"), ("clicktype", "byte"), ("ver", "byte")]),
}
PUBLIC_FIELDS = [("uuid", "binary"), ("tid1", "int"), ("tid2", "int"), ("tod1", "int"), ("tod2", "int"),
                 ("one", "byte"), ("tryno", "short"), ("iid", "int"), ("time", "int"), ("version", "int"),
                 ("svrid", "ansi"), ("flag", "ansi"), ("installtime", "ansi"), ("syscode", "ansi"),
                 ("extra1", "ansi"), ("extra2", "ansi")]


class DecodeError(Exception):
    pass


class Reader:
    def __init__(self, data):
        self.data = data
        self.pos = 0

    def take(self, n):
        if self.pos + n > len(self.data):
            raise DecodeError("record cut at byte %d" % self.pos)
        chunk = self.data[self.pos:self.pos + n]
        self.pos += n
        return chunk

    def field(self, kind):
        if kind == "byte":
            return self.take(1)[0]
        if kind == "short":
            return struct.unpack("<H", self.take(2))[0]
        if kind == "int":
            return struct.unpack("<i", self.take(4))[0]
        if kind == "int64":
            return struct.unpack("<q", self.take(8))[0]
        n = struct.unpack("<H", self.take(2))[0]
        body = self.take(n)
        if kind == "binary":
            return body.hex().upper()
        text = bytes(b ^ STRING_MASK for b in body)
        return text.decode("utf-8" if kind == "string" else "gbk", errors="replace")


def decode_record(data, fields, bits=0):
    """Decodes one record from the start of data; answers (dict, bytes used)."""
    reader = Reader(data)
    table = struct.unpack("<H", reader.take(2))[0]
    reader.take((bits + 7) // 8)
    values = {name: reader.field(kind) for name, kind in fields}
    return table, values, reader.pos


def decode_payload(payload):
    """Checks the header and CRC and decodes the records; raises DecodeError."""
    if len(payload) < 13:
        raise DecodeError("payload shorter than its header")
    total, version, magic, count, crc = struct.unpack("<HBIHI", payload[:13])
    if total != len(payload):
        raise DecodeError("length field %d, payload %d bytes" % (total, len(payload)))
    if version != 2 or magic != 20:
        raise DecodeError("bad header")
    body = payload[13:]
    if zlib.crc32(body) & 0xFFFFFFFF != crc:
        raise DecodeError("CRC mismatch")
    records = []
    pos = 0
    for index in range(count):
        if pos + 2 > len(body):
            raise DecodeError("record %d missing" % index)
        table = struct.unpack("<H", body[pos:pos + 2])[0]
        if table == 1:
            _, values, used = decode_record(body[pos:], PUBLIC_FIELDS)
            records.append({"table": 1, "name": "public", "fields": values})
        elif table in TABLES:
            name, fields = TABLES[table]
            _, values, used = decode_record(body[pos:], fields)
            records.append({"table": table, "name": name, "fields": values})
        else:
            # Unknown layout: it runs to the end of the payload.
            used = len(body) - pos
            records.append({"table": table, "raw": body[pos:].hex().upper()})
        pos += used
    if pos != len(body):
        raise DecodeError("%d bytes after the last record" % (len(body) - pos))
    return records


def build_answer(text, mode):
    data = text.encode("ascii")
    crc = zlib.crc32(data) & 0xFFFFFFFF
    length = 7 + len(data)
    if mode == "badlen":
        length += 1
    if mode == "badcrc":
        crc ^= 1
    return struct.pack("<HBI", length & 0xFFFF, 2, crc) + data


class State:
    def __init__(self, out_path, mode):
        self.lock = threading.Lock()
        self.out_path = out_path
        self.mode = mode
        self.posts = 0
        self.bad = 0
        self.decoded = []


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    state = None  # set by make_server

    def log_message(self, fmt, *args):
        pass

    def reply(self, code, body, content_type="application/octet-stream"):
        self.send_response(code)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def read_body(self):
        return self.rfile.read(int(self.headers.get("Content-Length", "0")))

    def do_POST(self):
        body = self.read_body()
        st = self.state
        path = self.path.split("?")[0]
        if path == "/c/v2/":
            with st.lock:
                st.posts += 1
                mode = st.mode
                try:
                    records = decode_payload(body)
                    ok = True
                except DecodeError as error:
                    records, ok = [{"error": str(error)}], False
                    st.bad += 1
                if ok:
                    st.decoded.extend(records)
                    if st.out_path:
                        with open(st.out_path, "a", encoding="utf-8") as out:
                            for record in records:
                                out.write(json.dumps(record, ensure_ascii=False) + "\n")
            result = 1 if ok and mode != "result0" else 0
            self.reply(200, build_answer("[common]\r\nresult=%d\r\n" % result, mode))
        elif path == "/control/mode":
            mode = body.decode("ascii", "replace").strip()
            if mode not in MODES:
                self.reply(400, b"unknown mode\n", "text/plain")
                return
            with st.lock:
                st.mode = mode
            self.reply(200, b"ok\n", "text/plain")
        elif path == "/control/reset":
            with st.lock:
                st.posts = st.bad = 0
                st.decoded = []
                st.mode = "accept"
            self.reply(200, b"ok\n", "text/plain")
        else:
            self.reply(404, b"", "text/plain")

    def do_GET(self):
        st = self.state
        if self.path == "/control/stats":
            with st.lock:
                text = "posts=%d\nbad=%d\nmode=%s\n" % (st.posts, st.bad, st.mode)
            self.reply(200, text.encode(), "text/plain")
        elif self.path == "/control/records":
            with st.lock:
                text = "".join(json.dumps(r, ensure_ascii=False) + "\n" for r in st.decoded)
            self.reply(200, text.encode("utf-8"), "application/json")
        else:
            self.reply(404, b"", "text/plain")


def make_server(port, out_path, mode):
    handler = type("BoundHandler", (Handler,), {"state": State(out_path, mode)})
    server = ThreadingHTTPServer(("127.0.0.1", port), handler)
    server.daemon_threads = True
    return server


def reserve_down_port():
    """A port bound but not listening: connections to it are refused while the socket lives."""
    sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    sock.bind(("127.0.0.1", 0))
    return sock


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--out", default="")
    parser.add_argument("--mode", choices=MODES, default="accept")
    parser.add_argument("--port-file", default="")
    parser.add_argument("--run", action="store_true")
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args(argv)

    server = make_server(args.port, args.out, args.mode)
    port = server.server_address[1]
    if args.port_file:
        with open(args.port_file, "w") as f:
            f.write("%d\n" % port)

    if not args.run:
        print("collection server on http://127.0.0.1:%d/c/v2/ (mode %s)" % (port, args.mode), flush=True)
        try:
            server.serve_forever()
        except KeyboardInterrupt:
            pass
        return 0

    command = args.command[1:] if args.command[:1] == ["--"] else args.command
    if not command:
        parser.error("--run needs a command")
    down = reserve_down_port()
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()
    env = dict(os.environ)
    env["VELMORA_COLLECT_HOST"] = "127.0.0.1:%d" % port
    env["VELMORA_COLLECT_URL"] = "http://127.0.0.1:%d/c/v2/" % port
    env["VELMORA_COLLECT_CONTROL"] = "http://127.0.0.1:%d/control" % port
    env["VELMORA_COLLECT_DOWN_URL"] = "http://127.0.0.1:%d/c/v2/" % down.getsockname()[1]
    env["VELMORA_COLLECT_OUT"] = args.out
    try:
        rc = subprocess.call(command, env=env)
    finally:
        server.shutdown()
        down.close()
    return rc


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
