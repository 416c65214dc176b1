#!/usr/bin/env python3
"""Checks the download of one built Windows tree, made as scripts/package.sh
makes it:

    python3 tests/resources/check_package.py TREE [--probe winprobe.exe]

Makes the zip of TREE with scripts/package.py in a scratch folder and
unzips it: its name must carry the version of the exe's version record (as
check_resources.py reads it) and the tree's width, and it must hold exactly
the listed files, each the tree's bytes, and a read-me in UTF-8 with a byte
order mark and CRLF line ends, in Japanese and English. With --probe (the
tree Wine runs here), the orvanel.exe unzipped is started under Wine on
$DISPLAY: its main window must show, titled "新規ﾃﾞｨｽｸｲﾒｰｼﾞ - Orvanel",
and it must end with exit code 0 when asked to close. Exits 1 on a
mismatch."""

import argparse
import json
import os
import signal
import subprocess
import sys
import tempfile
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
sys.path[:0] = [os.path.join(REPO, "scripts"), os.path.join(REPO, "tests", "blackbox"), HERE]
import check_resources  # noqa: E402
import harness  # noqa: E402
import package  # noqa: E402

NEW_WINDOW_TITLE = "新規ﾃﾞｨｽｸｲﾒｰｼﾞ - Orvanel"


def zip_errors(tree, zip_path, folder):
    errors = []
    with open(os.path.join(tree, "orvanel.exe"), "rb") as f:
        img = check_resources.Image(f.read())
    version, _ = check_resources.decode_version(
        check_resources.read_resources(img)[check_resources.RT_VERSION][1][0][1])
    width = {check_resources.MACHINE_I386: "win32", check_resources.MACHINE_AMD64: "win64"}[img.machine]
    name = "orvanel-%s-%s.zip" % (".".join(map(str, version[:3 if not version[3] else 4])), width)
    if os.path.basename(zip_path) != name:
        errors.append("the zip is %s, expected %s" % (os.path.basename(zip_path), name))
    with zipfile.ZipFile(zip_path) as z:
        z.extractall(folder)
        names = sorted(z.namelist())
    if names != sorted(list(package.FILES) + ["readme.txt"]):
        errors.append("the zip holds %s" % names)
    for name, inside in package.FILES.items():
        with open(os.path.join(tree, inside), "rb") as a, open(os.path.join(folder, name), "rb") as b:
            if a.read() != b.read():
                errors.append("%s in the zip is not the tree's %s" % (name, inside))
    with open(os.path.join(folder, "readme.txt"), "rb") as f:
        readme = f.read()
    text = readme[3:].decode("utf-8")
    if not readme.startswith(b"\xef\xbb\xbf") or "\n" in text.replace("\r\n", ""):
        errors.append("readme.txt is not UTF-8 with a byte order mark and CRLF line ends")
    if "[日本語]" not in text or "[English]" not in text or "@VERSION@" in text or "@WIDTH@" in text:
        errors.append("readme.txt lacks a half, or a placeholder is left: %r" % text[:200])
    return errors


def start_errors(folder, probe):
    """Starts the unzipped exe under Wine and closes it again."""
    env = harness.wine_env()
    where = harness.to_windows_path(folder) + "\\"

    def ask(*commands):
        # Output to a file, not a pipe: a wine that starts Wine's desktop
        # process hands it its standard handles, which keep a pipe open.
        with tempfile.TemporaryFile() as out:
            subprocess.run(["wine", probe, "--path", where, *commands], env=env, stdout=out,
                           stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL, timeout=60)
            out.seek(0)
            lines = [json.loads(l) for l in out.read().decode("latin-1").splitlines() if l.startswith("{")]
        return harness.decode_tree(lines[-1]) if lines else {}

    with open(os.path.join(folder, "wine.log"), "wb") as log:
        program = subprocess.Popen(["wine", os.path.join(folder, "orvanel.exe")], cwd=folder, env=env,
                                   stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
                                   start_new_session=True)
        try:
            info = ask("wait", "30000")
            if not info.get("visible") or info.get("title") != NEW_WINDOW_TITLE:
                return ["the unzipped orvanel.exe showed no main window titled %s: %s"
                        % (NEW_WINDOW_TITLE, json.dumps(info, ensure_ascii=False)[:500])]
            ask("close")
            code = program.wait(30)
            return [] if code == 0 else ["the unzipped orvanel.exe ended with exit code %d" % code]
        finally:
            if program.poll() is None:
                os.killpg(program.pid, signal.SIGKILL)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("tree")
    parser.add_argument("--probe")
    args = parser.parse_args()
    with tempfile.TemporaryDirectory(prefix="orvanel-package-") as scratch:
        zip_path = package.make_zip(args.tree, scratch)
        folder = os.path.join(scratch, "unzipped")
        errors = zip_errors(args.tree, zip_path, folder)
        if args.probe and not errors:
            errors = start_errors(folder, os.path.abspath(args.probe))
    for error in errors:
        print("FAIL: " + error)
    print("%s: %d errors" % (os.path.basename(zip_path), len(errors)))
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
