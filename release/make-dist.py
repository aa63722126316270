#!/usr/bin/env python3
"""Writes the zip a simmer installs: OUT/Quillon-<version>.zip.

    make-dist.py --dll build/windows-i686/Quillon.dll \
                 [--checked build/windows-i686/Quillon.dll.checked] \
                 --version-tool build/linux/release/quillon-dll-version --out out

The zip holds the DLL exactly as given (Gauges/Quillon.dll; with --checked,
only if its sha256 is the one that sum file gives for Quillon.dll), everything under
release/files/ with Windows line ends and @VERSION@ filled in, and SHA256SUMS
of all of it. The version is the DLL's own (its version resource). Entries
carry the time of the last commit, so the same sources and DLL give the same
zip. Prints the zip's path.
"""
import argparse
import hashlib
import os
import subprocess
import sys
import time
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
FILES = os.path.join(HERE, "files")
DLL_ENTRY = "Gauges/Quillon.dll"
SUMS_ENTRY = "SHA256SUMS"
ZIP_EPOCH = (1980, 1, 1, 0, 0, 0)


def dll_version(version_tool, dll):
    result = subprocess.run([version_tool, dll], capture_output=True, text=True)
    if result.returncode != 0:
        sys.exit(f"make-dist: cannot read the version of {dll}: {result.stderr.strip()}")
    version = result.stdout.strip()
    if not all(part.isdigit() for part in version.split(".")):
        sys.exit(f"make-dist: unexpected version {version!r} from {version_tool}")
    return version


def require_checked(dll_bytes, checked, dll):
    """The sum file (sha256sum format) the 32-bit checks write once they pass."""
    digest = hashlib.sha256(dll_bytes).hexdigest()
    try:
        with open(checked, encoding="ascii") as sums:
            passed = any(line.split() == [digest, "Quillon.dll"] for line in sums)
    except OSError:
        passed = False
    if not passed:
        sys.exit(f"make-dist: {dll} (sha256 {digest}) has not passed the 32-bit checks "
                 f"({checked} is missing or names other bytes): run make test-i686 first")


def entry_time():
    """The last commit's time (or SOURCE_DATE_EPOCH); now outside a repository."""
    seconds = os.environ.get("SOURCE_DATE_EPOCH")
    if not seconds:
        try:
            result = subprocess.run(["git", "-C", HERE, "log", "-1", "--format=%ct"],
                                    capture_output=True, text=True)
            seconds = result.stdout.strip() if result.returncode == 0 else ""
        except OSError:  # no git on this machine: a tree without history
            seconds = ""
    stamp = time.gmtime(int(seconds)) if seconds.isdigit() else time.gmtime()
    return max(ZIP_EPOCH, tuple(stamp[:6]))


def windows_text(data, version, path):
    """LF or CRLF text -> CRLF, with the version filled in."""
    text = data.decode("ascii")  # the files are for Notepad: plain ASCII
    if "\r" in text.replace("\r\n", ""):
        sys.exit(f"make-dist: stray carriage return in {path}")
    text = text.replace("\r\n", "\n").replace("@VERSION@", version)
    return text.replace("\n", "\r\n").encode("ascii")


def release_files(version):
    """(zip path, bytes) of everything under files/, sorted by path."""
    entries = []
    for folder, _, names in os.walk(FILES):
        for name in names:
            path = os.path.join(folder, name)
            with open(path, "rb") as source:
                data = source.read()
            relative = os.path.relpath(path, FILES).replace(os.sep, "/")
            entries.append((relative, windows_text(data, version, path)))
    return sorted(entries)


def checksums(entries):
    lines = [f"{hashlib.sha256(data).hexdigest()}  {name}\r\n" for name, data in entries]
    return "".join(lines).encode("ascii")


def write_zip(path, entries, stamp):
    partial = path + ".partial"
    with zipfile.ZipFile(partial, "w", zipfile.ZIP_DEFLATED) as archive:
        for name, data in entries:
            info = zipfile.ZipInfo(name, date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            archive.writestr(info, data)
    os.replace(partial, path)


def main():
    parser = argparse.ArgumentParser(description="Write the release zip.")
    parser.add_argument("--dll", required=True, help="the tested 32-bit Quillon.dll")
    parser.add_argument("--version-tool", required=True, help="quillon-dll-version")
    parser.add_argument("--out", required=True, help="folder for the zip")
    parser.add_argument("--checked", help="sum file of the DLL that passed the 32-bit checks")
    args = parser.parse_args()

    version = dll_version(args.version_tool, args.dll)
    with open(args.dll, "rb") as dll:
        dll_bytes = dll.read()
    if args.checked:
        require_checked(dll_bytes, args.checked, args.dll)
    entries = [(DLL_ENTRY, dll_bytes)] + release_files(version)
    entries.append((SUMS_ENTRY, checksums(entries)))

    os.makedirs(args.out, exist_ok=True)
    path = os.path.join(args.out, f"Quillon-{version}.zip")
    write_zip(path, entries, entry_time())
    print(path)


if __name__ == "__main__":
    main()
