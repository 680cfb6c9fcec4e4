#!/usr/bin/env python3
"""The product web hosts for the web-update tests, in a network and mount namespace of their own.

  webhost.py run-tests MODULE...   runs the unittest modules where the test host names resolve to loopback and
                                   only the test CA is trusted (run_in_namespace() does so for any command)
Inside, servers() runs nginx (HTTPS on 443, plain HTTP on 80) and tinyproxy on 127.0.0.1:8888.
"""
import contextlib
import os
import shutil
import socket
import subprocess
import sys

import wine
from tyx_e2e import wait_until, write

WORK = os.path.join(wine.WORK, "webhost")
NORVA, TALVIK = "norva.tyx.test", "talvik.tyx.test"
ADDRESSES = {NORVA: "127.0.0.1", TALVIK: "127.0.0.3"}
DOCROOT = os.path.join(WORK, "www")
ACCESS_LOG = os.path.join(WORK, "nginx-access.log")
PROXY_LOG = os.path.join(WORK, "tinyproxy.log")


def prepare():
    """A fresh folder with a test CA, a certificate for each host (Talvik's from a CA nobody trusts), the hosts
    file and the servers' configurations."""
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(DOCROOT)
    for name, ca in (("ca", None), ("rogue-ca", None), (NORVA, "ca"), (TALVIK, "rogue-ca")):
        signed = ["-CA", f"{WORK}/{ca}.crt", "-CAkey", f"{WORK}/{ca}.key", "-addext", "basicConstraints=CA:FALSE",
                  "-addext", f"subjectAltName=DNS:{name}"] if ca else []
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "30", "-subj",
                        f"/CN=TyxUpdate {name}", "-keyout", f"{WORK}/{name}.key", "-out", f"{WORK}/{name}.crt"]
                       + signed, check=True, capture_output=True)
    write(f"{WORK}/hosts", ("127.0.0.1 localhost\n" + "".join(f"{a} {h}\n" for h, a in ADDRESSES.items())).encode())
    hosts = "".join(f"  server {{ listen {a}:80; listen {a}:443 ssl; server_name {h}; root {DOCROOT};\n"
                    f"    ssl_certificate {WORK}/{h}.crt; ssl_certificate_key {WORK}/{h}.key; }}\n"
                    for h, a in ADDRESSES.items())
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


@contextlib.contextmanager
def servers():
    """nginx and tinyproxy, for as long as the block runs."""
    quiet = {"stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL}
    processes = [subprocess.Popen(["nginx", "-c", f"{WORK}/nginx.conf", "-p", WORK], **quiet),
                 subprocess.Popen(["tinyproxy", "-d", "-c", f"{WORK}/tinyproxy.conf"], **quiet)]
    for port in (443, 80, 8888):
        wait_until(lambda: listening(port), 5, 0.05)
    try:
        yield
    finally:
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
