#!/usr/bin/env python3
"""velmora.exe /SVCACTIVE end to end: an installation folder whose data\\report.ini points at a local collection
server; the process must exit with 0 by itself, and exactly one record of table 106 must have arrived.

usage: svcactive_e2e.py <wine-run.sh> <build dir> <velmora.exe>
"""
import os
import shutil
import subprocess
import sys
import tempfile
import threading

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import collection_server  # noqa: E402


def main(wine_run, build_dir, exe):
    server = collection_server.make_server(0, "", "accept")
    port = server.server_address[1]
    threading.Thread(target=server.serve_forever, daemon=True).start()
    install = tempfile.mkdtemp(prefix="velmora_svcactive_")
    try:
        shutil.copy(exe, os.path.join(install, "velmora.exe"))
        os.makedirs(os.path.join(install, "data"))
        with open(os.path.join(install, "data", "report.ini"), "w", newline="\r\n") as ini:
            ini.write("[collect]\nhost=127.0.0.1:%d\n" % port)
        try:
            rc = subprocess.run([wine_run, build_dir, os.path.join(install, "velmora.exe"), "/SVCACTIVE"],
                                timeout=180).returncode
        except subprocess.TimeoutExpired:
            print("FAIL: velmora.exe /SVCACTIVE did not exit within 180 s")
            return 1
        state = server.RequestHandlerClass.state
        with state.lock:
            decoded = list(state.decoded)
            posts = state.posts
        events = [r for r in decoded if r.get("table") == 106]
        print("exit code %d, %d post(s), decoded: %s" % (rc, posts, decoded))
        ok = (rc == 0 and posts == 1 and len(events) == 1 and events[0]["fields"]["ver"] == 1
              and [r.get("table") for r in decoded] == [1, 106])
        print("PASS" if ok else "FAIL")
        return 0 if ok else 1
    finally:
        server.shutdown()
        shutil.rmtree(install, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))
