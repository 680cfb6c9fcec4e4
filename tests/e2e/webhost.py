#!/usr/bin/env python3
"""The product web hosts for the web-update tests, in a network and mount namespace of their own.

  webhost.py run-tests MODULE...   runs the unittest modules where the test host names resolve to loopback and
                                   only the test CA is trusted (run_in_namespace() does so for any command)
Inside, servers() runs nginx (HTTPS on 443, plain HTTP on 80), tinyproxy on 127.0.0.1:8888 and Bremo's HTTPS host,
a relay that breaks connections (FAULTS).
"""
import contextlib
import os
import re
import shutil
import socket
import ssl
import struct
import subprocess
import sys
import threading
import time

import wine
from tyx_e2e import wait_until, write

WORK = os.path.join(wine.WORK, "webhost")
NORVA, TALVIK, BREMO = "norva.tyx.test", "talvik.tyx.test", "bremo.tyx.test"
ADDRESSES = {NORVA: "127.0.0.1", TALVIK: "127.0.0.3", BREMO: "127.0.0.2"}
DOCROOT = os.path.join(WORK, "www")
ACCESS_LOG = os.path.join(WORK, "nginx-access.log")
PROXY_LOG = os.path.join(WORK, "tinyproxy.log")


def prepare():
    """A fresh folder with a test CA, a certificate for each host (Talvik's from a CA nobody trusts), the hosts
    file and the servers' configurations."""
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(DOCROOT)
    for name, ca in (("ca", None), ("rogue-ca", None), (NORVA, "ca"), (TALVIK, "rogue-ca"), (BREMO, "ca")):
        signed = ["-CA", f"{WORK}/{ca}.crt", "-CAkey", f"{WORK}/{ca}.key", "-addext", "basicConstraints=CA:FALSE",
                  "-addext", f"subjectAltName=DNS:{name}"] if ca else []
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "30", "-subj",
                        f"/CN=TyxUpdate {name}", "-keyout", f"{WORK}/{name}.key", "-out", f"{WORK}/{name}.crt"]
                       + signed, check=True, capture_output=True)
    write(f"{WORK}/hosts", ("127.0.0.1 localhost\n" + "".join(f"{a} {h}\n" for h, a in ADDRESSES.items())).encode())
    # Bremo's HTTPS is the relay's; nginx serves it plain HTTP only.
    hosts = "".join(f"  server {{ listen {a}:80; listen {a}:443 ssl; server_name {h}; root {DOCROOT};\n"
                    f"    ssl_certificate {WORK}/{h}.crt; ssl_certificate_key {WORK}/{h}.key; }}\n"
                    for h, a in ADDRESSES.items() if h != BREMO)
    # Small buffers: what nginx counts as sent is then what the relay passed on, give or take 128 KiB.
    hosts += f"  server {{ listen {ADDRESSES[BREMO]}:80 sndbuf=64k; server_name {BREMO}; root {DOCROOT}; }}\n"
    write(f"{WORK}/nginx.conf", f"""user root; daemon off; worker_processes 1; pid {WORK}/nginx.pid; error_log {WORK}/nginx-error.log;
events {{ worker_connections 64; }}
http {{
  log_format timed '$scheme $request_uri $status $body_bytes_sent $bytes_sent $request_time';
  access_log {ACCESS_LOG} timed; default_type application/octet-stream;
{hosts}}}
""".encode())
    write(f"{WORK}/tinyproxy.conf", f"User root\nGroup root\nPort 8888\nListen 127.0.0.1\nTimeout 60\nLogFile "
          f"\"{PROXY_LOG}\"\nLogLevel Connect\nMaxClients 10\nConnectPort 443\n".encode())


def served(path):
    """The file the hosts serve at this URL path."""
    target = os.path.join(DOCROOT, path.lstrip("/"))
    os.makedirs(os.path.dirname(target), exist_ok=True)
    return target


def listening(port):
    with socket.socket() as s:
        return s.connect_ex(("127.0.0.1", port)) == 0


class FaultyHost:
    """Bremo's HTTPS host: ends TLS and passes each request to nginx over plain HTTP, one request a connection,
    doing to the n-th request for update.cab what the n-th entry of `plan` says (then nothing):
      {"cut": N}    resets the connection after N bytes of the answer, then calls "then" if given
      {"stall": N}  sends nothing more after N bytes, until the client gives up
      {"slow": N}   goes on at 80 KiB/s after N bytes
      {"range": R}  asks nginx for the range R instead of the client's ("": none)
    Given `date`, every answer has it as its Date header, as from a host whose clock says so. `sent` has the bytes
    of each answer for update.cab that reached the client."""

    def __init__(self):
        self.plan, self.sent, self.date = [], [], None
        self.context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        self.context.load_cert_chain(f"{WORK}/{BREMO}.crt", f"{WORK}/{BREMO}.key")
        self.listener = socket.create_server((ADDRESSES[BREMO], 443))
        threading.Thread(target=self.serve, daemon=True).start()

    def reset(self, plan=(), date=None):
        self.plan, self.sent, self.date = list(plan), [], date

    def serve(self):
        with contextlib.suppress(OSError):
            while True:
                connection, _ = self.listener.accept()
                threading.Thread(target=self.relay, args=(connection,), daemon=True).start()

    def relay(self, connection):
        with contextlib.suppress(OSError), self.context.wrap_socket(connection, server_side=True) as client:
            request = b""
            while b"\r\n\r\n" not in request:
                data = client.recv(65536)
                if not data:
                    return
                request += data
            first, *headers = request.split(b"\r\n\r\n")[0].split(b"\r\n")
            package = b"/update.cab " in first
            fault = self.plan.pop(0) if package and self.plan else {}
            dropped = (b"connection:", b"range:") if "range" in fault else (b"connection:",)
            headers = [h for h in headers if not h.lower().startswith(dropped)]
            headers += [f"Range: {fault['range']}".encode()] if fault.get("range") else []
            sent = self.sent if package else []
            sent.append(0)
            index = len(sent) - 1
            with socket.socket() as upstream:
                upstream.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 64 * 1024)
                upstream.connect((ADDRESSES[BREMO], 80))
                upstream.sendall(b"\r\n".join([first] + headers + [b"Connection: close", b"", b""]))
                limit = fault.get("cut", fault.get("stall"))
                while data := upstream.recv(16384):
                    if self.date and sent[index] == 0:  # the headers come first, in one piece
                        data = re.sub(rb"\r\nDate: [^\r]*", b"\r\nDate: " + self.date.encode(), data, count=1)
                    if limit is not None:
                        data = data[:max(0, limit - sent[index])]
                    client.sendall(data)
                    sent[index] += len(data)
                    if sent[index] >= fault.get("slow", 1 << 62):
                        time.sleep(0.2)
                    if limit is not None and sent[index] >= limit:
                        break
            if "cut" in fault:
                time.sleep(1)  # a reset drops what the client has not read yet: let it read first
                client.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                client.close()
                if "then" in fault:
                    fault["then"]()
            elif "stall" in fault:
                client.settimeout(900)  # longer than a run may take: only the client's time-out ends it
                client.recv(1)


FAULTS = None  # the FaultyHost while servers() run


@contextlib.contextmanager
def servers():
    """nginx, tinyproxy and the faulty host, for as long as the block runs."""
    global FAULTS
    quiet = {"stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL}
    processes = [subprocess.Popen(["nginx", "-c", f"{WORK}/nginx.conf", "-p", WORK], **quiet),
                 subprocess.Popen(["tinyproxy", "-d", "-c", f"{WORK}/tinyproxy.conf"], **quiet)]
    for port in (443, 80, 8888):
        wait_until(lambda: listening(port), 5, 0.05)
    FAULTS = FaultyHost()
    try:
        yield
    finally:
        FAULTS.listener.close()
        for p in processes:
            p.terminate()
            p.wait(10)


def run_in_namespace(command):
    """Runs the command where the test hosts resolve to loopback and only the test CA is trusted. Wine's server
    opens the files and owns the sockets: the one outside is stopped, and one inside serves the command."""
    prepare()
    env = dict(wine.environment(), WINESERVER=wine.WINESERVER)
    subprocess.run([wine.WINESERVER, "-k"], env=env, stderr=subprocess.DEVNULL)
    subprocess.run([wine.WINESERVER, "-w"], env=env)
    inner = ("set -e; ip link set lo up; mount --bind \"$1/hosts\" /etc/hosts; "
             "mount --bind \"$1/ca.crt\" /etc/ssl/certs/ca-certificates.crt; "
             "\"$WINESERVER\" -p </dev/null >/dev/null 2>&1; shift; set +e; \"$@\"; rc=$?; "
             "\"$WINESERVER\" -k 2>/dev/null; exit $rc")
    full = ["unshare", "--net", "--mount", "--", "bash", "-c", inner, "_", WORK] + list(command)
    return subprocess.run(full, cwd=os.path.dirname(os.path.abspath(__file__)), env=env).returncode


if __name__ == "__main__":
    if len(sys.argv) > 2 and sys.argv[1] == "run-tests":
        sys.exit(run_in_namespace([sys.executable, "-m", "unittest"] + sys.argv[2:]))
    sys.exit(__doc__)
