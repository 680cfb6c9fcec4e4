#!/usr/bin/env python3
"""The product web hosts for the web-update tests, inside a private network and mount namespace.

  webhost.py run-tests MODULE...   makes the test CA, certificates and server configurations, then runs the
                                   unittest modules in a namespace of their own (unshare) where the test host
                                   names resolve to loopback and only the test CA is trusted
run_in_namespace() does the same for any command (the demo's web update).
Inside, WebHost() starts nginx (HTTPS on 443, plain HTTP on 80) and tinyproxy on 127.0.0.1:8888, and stops
them again.
"""
import os
import shutil
import signal
import socket
import subprocess
import sys
import time

import wine

WORK = os.path.join(os.environ.get("TYX_WORK") or os.path.join(os.getcwd(), "e2e"), "webhost")
NORVA, TALVIK = "norva.tyx.test", "talvik.tyx.test"
ADDRESSES = {NORVA: "127.0.0.1", TALVIK: "127.0.0.3"}
DOCROOT = os.path.join(WORK, "www")
ACCESS_LOG = os.path.join(WORK, "nginx-access.log")
PROXY_LOG = os.path.join(WORK, "tinyproxy.log")


def openssl(*args):
    subprocess.run(["openssl"] + list(args), check=True, capture_output=True)


def make_certificates():
    """A test CA and a certificate for each host; Talvik's is signed by a CA nobody trusts."""
    os.makedirs(WORK, exist_ok=True)
    for ca in ("ca", "rogue-ca"):
        openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "30", "-subj", f"/CN=TyxUpdate {ca}",
                "-keyout", f"{WORK}/{ca}.key", "-out", f"{WORK}/{ca}.crt")
    for host in (NORVA, TALVIK):
        ca = "rogue-ca" if host == TALVIK else "ca"
        openssl("req", "-newkey", "rsa:2048", "-nodes", "-subj", f"/CN={host}", "-keyout", f"{WORK}/{host}.key",
                "-out", f"{WORK}/{host}.csr")
        with open(f"{WORK}/{host}.ext", "w") as f:
            f.write(f"subjectAltName=DNS:{host}\nextendedKeyUsage=serverAuth\n")
        openssl("x509", "-req", "-in", f"{WORK}/{host}.csr", "-CA", f"{WORK}/{ca}.crt", "-CAkey", f"{WORK}/{ca}.key",
                "-CAcreateserial", "-days", "30", "-extfile", f"{WORK}/{host}.ext", "-out", f"{WORK}/{host}.crt")
    shutil.copy(f"{WORK}/ca.crt", f"{WORK}/ca-bundle.crt")
    with open(f"{WORK}/hosts", "w") as f:
        f.write("127.0.0.1 localhost\n" + "".join(f"{a} {h}\n" for h, a in ADDRESSES.items()))


def write_configs():
    os.makedirs(DOCROOT, exist_ok=True)
    with open(f"{WORK}/nginx.conf", "w") as f:
        f.write(f"""user root; daemon off; worker_processes 1; pid {WORK}/nginx.pid; error_log {WORK}/nginx-error.log;
events {{ worker_connections 64; }}
http {{
  log_format timed '$scheme $request_uri $status $body_bytes_sent $bytes_sent $request_time';
  access_log {ACCESS_LOG} timed; default_type application/octet-stream;
  server {{
    listen 127.0.0.1:80; listen 127.0.0.1:443 ssl; server_name {NORVA}; root {DOCROOT};
    ssl_certificate {WORK}/{NORVA}.crt; ssl_certificate_key {WORK}/{NORVA}.key;
  }}
  server {{
    listen {ADDRESSES[TALVIK]}:80; listen {ADDRESSES[TALVIK]}:443 ssl; server_name {TALVIK}; root {DOCROOT};
    ssl_certificate {WORK}/{TALVIK}.crt; ssl_certificate_key {WORK}/{TALVIK}.key;
  }}
}}
""")
    with open(f"{WORK}/tinyproxy.conf", "w") as f:
        f.write(f"User root\nGroup root\nPort 8888\nListen 127.0.0.1\nTimeout 60\nLogFile \"{PROXY_LOG}\"\n"
                "LogLevel Connect\nMaxClients 10\nConnectPort 443\n")


class WebHost:
    """The servers, for the length of a test module."""

    def __enter__(self):
        if os.path.exists(PROXY_LOG):
            os.remove(PROXY_LOG)
        quiet = {"stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL}
        self.processes = [subprocess.Popen(["nginx", "-c", f"{WORK}/nginx.conf", "-p", WORK], **quiet),
                          subprocess.Popen(["tinyproxy", "-d", "-c", f"{WORK}/tinyproxy.conf"], **quiet)]
        for port in (443, 80, 8888):
            for _ in range(100):
                try:
                    socket.create_connection(("127.0.0.1", port), timeout=0.2).close()
                    break
                except OSError:
                    time.sleep(0.05)
        return self

    def publish(self, path, data):
        target = os.path.join(DOCROOT, path.lstrip("/"))
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "wb") as f:
            f.write(data)

    def proxy_log(self):
        if not os.path.exists(PROXY_LOG):
            return ""
        with open(PROXY_LOG, errors="replace") as f:
            return f.read()

    def __exit__(self, *exc):
        for p in self.processes:
            p.send_signal(signal.SIGTERM)
            try:
                p.wait(timeout=10)
            except subprocess.TimeoutExpired:
                p.kill()


def run_in_namespace(command):
    """Runs the command where the test hosts resolve to loopback and only the test CA is trusted, with a Wine
    server of its own in there, stopped at the end."""
    make_certificates()
    write_configs()
    env = wine.environment_for_a_namespace()
    inner = ("set -e; ip link set lo up; mount --bind \"$1/hosts\" /etc/hosts; "
             "mount --bind \"$1/ca-bundle.crt\" /etc/ssl/certs/ca-certificates.crt; "
             "\"$WINESERVER\" -p </dev/null >/dev/null 2>&1; shift; set +e; \"$@\"; rc=$?; "
             "\"$WINESERVER\" -k 2>/dev/null; exit $rc")
    here = os.path.dirname(os.path.abspath(__file__))
    full = ["unshare", "--net", "--mount", "--", "bash", "-c", inner, "_", WORK] + list(command)
    return subprocess.run(full, cwd=here, env=env).returncode


if __name__ == "__main__":
    if len(sys.argv) > 2 and sys.argv[1] == "run-tests":
        sys.exit(run_in_namespace([sys.executable, "-m", "unittest"] + sys.argv[2:]))
    sys.exit(__doc__)
