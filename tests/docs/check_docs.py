#!/usr/bin/env python3
"""Keeps the guides true: their relative links and the repository paths they name exist, and the commands of
their `sh runnable` blocks (TyxPack under Wine, with the test key as maker.pem) end with exit code 0 and print
the lines shown under them ("…" stands for anything)."""
import glob
import os
import re
import shlex
import shutil
import sys
import tempfile
from pathlib import Path

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
PAGES = [os.path.join(ROOT, "README.md")] + sorted(glob.glob(os.path.join(ROOT, "docs", "*.md")))
REPO_PATH = re.compile(r"^(?:src|tests|scripts|docs|bench|cmake)/[^<>…]*$")
LINK = re.compile(r"\]\(([^)\s]+)\)")
RUNNABLE = re.compile(r"^```sh runnable\n(.*?)^```", re.M | re.S)


def anchors(page):
    headings = re.findall(r"^#+ (.*)", Path(page).read_text(), re.M)
    return {re.sub(r"[^\w\- ]", "", h.strip().lower()).replace(" ", "-") for h in headings}


def faults_of(page, text):
    for target in LINK.findall(text):
        if re.match(r"[a-z]+:", target):
            continue
        path, _, anchor = target.partition("#")
        path = os.path.normpath(os.path.join(os.path.dirname(page), path)) if path else page
        if not os.path.exists(path) or (anchor and path.endswith(".md") and anchor not in anchors(path)):
            yield f"link {target} does not resolve"
    for path in {w for span in re.findall(r"`([^`\n]+)`", text) for w in span.split() if REPO_PATH.match(w)}:
        if not glob.glob(os.path.join(ROOT, path)):
            yield f"`{path}` does not exist"


def run_blocks(text):
    import wine
    for block in RUNNABLE.findall(text):
        output, shown = [], block.splitlines()
        for i, line in enumerate(shown):
            if not line.startswith("$ "):
                if not any(re.fullmatch(".*".join(map(re.escape, line.split("…"))), o) for o in output):
                    yield f"{shown[i - 1] if i else ''}: no line {line!r} in\n  " + "\n  ".join(output)
                continue
            args = shlex.split(line[2:])
            if args[0] != "TyxPack":
                yield f"{line}: only TyxPack runs here"
                continue
            result = wine.run([os.path.join(os.environ["TYX_WIN_BUILD"], "TyxPack.exe")] + args[1:], timeout=300,
                              capture_output=True)
            output = result.stdout.decode("utf-8", "replace").replace("\r", "").splitlines()
            if result.returncode != 0:
                yield f"{line}: exit code {result.returncode}\n  " + "\n  ".join(output)


def main():
    with tempfile.TemporaryDirectory() as work:
        for name in ("release/NorvaXP.exe", "release/NorvaV.exe", "release/readme.txt", "extras/norvarep.dll"):
            Path(work, name).parent.mkdir(exist_ok=True)
            Path(work, name).write_text(name)
        shutil.copy(os.path.join(os.environ["TYX_KEYS"], "test.pem"), os.path.join(work, "maker.pem"))
        os.chdir(work)  # the guides' paths are relative
        faults = []
        for page in PAGES:
            text = Path(page).read_text()
            faults += [f"{os.path.relpath(page, ROOT)}: {f}" for f in [*faults_of(page, text), *run_blocks(text)]]
    print("\n".join(faults) or f"{len(PAGES)} pages checked")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
