#!/usr/bin/env python3
"""Checks the release zip against the build it was made from.

    check-dist.py --dll TESTED_DLL --version-tool quillon-dll-version \
                  --names-tool quillon-panel-names --module Quillon.so \
                  --workdir DIR [--zip ZIP]

Without --zip it makes a fresh zip in DIR with make-dist.py. What a panel can
refer to (gauges, named variables) comes from the built module as the
stand-in host sees it, never from a list kept here. Exits 77 (skipped) when
no DLL was given, 1 with every failure listed.
"""
import argparse
import glob
import hashlib
import math
import os
import re
import subprocess
import sys
import xml.etree.ElementTree as ElementTree
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
SKIPPED = 77

DLL = "Gauges/Quillon.dll"
SWITCHES = "Gauges/QuillonSwitches/RadarSwitches.xml"
README = "Readme.txt"
SUMS = "SHA256SUMS"
EXAMPLES = ("Examples/Radar window.txt", "Examples/Existing window or VC.txt")
EXPECTED_FILES = {DLL, SWITCHES, README, SUMS, *EXAMPLES}

# (L:Name, unit) and (>L:Name, unit) in RPN scripts and string formats.
L_VARIABLE = re.compile(r"\(\s*>?\s*L:([^,)]+)")
# gaugeNN=File!Gauge, x, y, w, h in panel.cfg lines.
GAUGE_LINE = re.compile(r"^\s*gauge\d+\s*=\s*([^!,\s][^!,]*)!([^,]+),", re.IGNORECASE | re.MULTILINE)

failures = []


def fail(message):
    failures.append(message)


def run(command):
    result = subprocess.run(command, capture_output=True, text=True)
    if result.returncode != 0:
        sys.exit(f"check-dist: {' '.join(command)} failed: {result.stderr.strip()}")
    return result.stdout


def module_names(names_tool, module):
    """Gauge names as listed, named variables case-folded (the host's lookup)."""
    gauges, variables = set(), {}
    for line in run([names_tool, module]).splitlines():
        kind, _, name = line.partition(" ")
        if kind == "gauge":
            gauges.add(name)
        elif kind == "variable":
            variables[name.lower()] = name
    if not gauges or not variables:
        sys.exit(f"check-dist: {module} offers no gauges or registers no variables")
    return gauges, variables


def fresh_zip(args):
    os.makedirs(args.workdir, exist_ok=True)
    for old in glob.glob(os.path.join(args.workdir, "Quillon-*.zip")):
        os.remove(old)
    return run([sys.executable, os.path.join(HERE, "make-dist.py"), "--dll", args.dll,
                "--version-tool", args.version_tool, "--out", args.workdir]).strip()


def check_file_list(archive):
    names = archive.namelist()
    if len(names) != len(set(names)):
        fail(f"entries listed twice: {sorted(n for n in set(names) if names.count(n) > 1)}")
    for name in sorted(EXPECTED_FILES - set(names)):
        fail(f"missing from the zip: {name}")
    for name in sorted(set(names) - EXPECTED_FILES):
        fail(f"not expected in the zip: {name}")
    broken = archive.testzip()
    if broken:
        fail(f"bad CRC: {broken}")


def check_dll(files, tested_dll):
    with open(tested_dll, "rb") as dll:
        if files.get(DLL) != dll.read():
            fail(f"{DLL} differs from the tested {tested_dll}")


def check_switches(data, variables):
    try:
        root = ElementTree.fromstring(data)
    except ElementTree.ParseError as error:
        fail(f"{SWITCHES} is not well-formed XML: {error}")
        return
    if root.tag != "Gauge" or not root.get("Name"):
        fail(f"{SWITCHES}: the root is not a named <Gauge>")
    texts = [text for element in root.iter() for text in [element.text, *element.attrib.values()] if text]
    named = {match.strip() for text in texts for match in L_VARIABLE.findall(text)}
    if not named:
        fail(f"{SWITCHES} names no L: variable")
    for name in sorted(named):
        if name.lower() not in variables:
            fail(f"{SWITCHES} uses L:{name}, which the module does not register")
    check_faces(root)
    check_buttons(root)
    for area in root.iter("Area"):
        where = f"{SWITCHES}: mouse area at {area.get('Left')},{area.get('Top')}"
        if not (area.findtext("Tooltip") or "").strip():
            fail(f"{where} has no tooltip")
        if not (area.findtext("Click") or "").strip():
            fail(f"{where} does nothing on a click")


# ---- The switch gauge's scripts, run as the simulator would run them ----------
# Enough of the gauge script language for the scripts of the switch gauge:
# numbers, (L:Name, unit) reads, (>L:Name, unit) writes, registers, if{ els{.

BINARY = {
    "+": lambda a, b: a + b, "-": lambda a, b: a - b, "*": lambda a, b: a * b, "/": lambda a, b: a / b,
    "<": lambda a, b: float(a < b), ">": lambda a, b: float(a > b), "<=": lambda a, b: float(a <= b),
    ">=": lambda a, b: float(a >= b), "==": lambda a, b: float(a == b), "!=": lambda a, b: float(a != b),
    "and": lambda a, b: float(bool(a) and bool(b)), "or": lambda a, b: float(bool(a) or bool(b)),
    "%": math.fmod, "max": max, "min": min,
}
UNARY = {"flr": math.floor, "near": lambda a: math.floor(a + 0.5), "!": lambda a: float(not a),
         "not": lambda a: float(not a)}
TOKEN = re.compile(r"\([^)]*\)|\S+")


def after_block(tokens, i):
    """Index after the } that closes the block whose body starts at i."""
    depth = 1
    while depth:
        depth += tokens[i].endswith("{") - (tokens[i] == "}")
        i += 1
    return i


def run_script(script, variables):
    """Runs a script over {folded name: value}; returns what it leaves on the stack."""
    tokens, stack, registers, i = TOKEN.findall(script), [], {}, 0
    while i < len(tokens):
        token, i = tokens[i], i + 1
        if token == "if{":
            if not stack.pop():
                i = after_block(tokens, i)
                i += i < len(tokens) and tokens[i] == "els{"
        elif token == "}":
            if i < len(tokens) and tokens[i] == "els{":
                i = after_block(tokens, i + 1)
        elif token.startswith("("):
            name = token[1:].split(",")[0].strip()
            if name.startswith(">L:"):
                variables[name[3:].strip().lower()] = stack.pop()
            else:
                stack.append(variables.get(name[2:].strip().lower(), 0.0))
        elif token == "d":
            stack.append(stack[-1])
        elif token == "p":
            stack.pop()
        elif re.fullmatch(r"[sl]\d+", token):
            if token[0] == "s":
                registers[token[1:]] = stack[-1]
            else:
                stack.append(registers[token[1:]])
        elif token in BINARY:
            right = stack.pop()
            stack.append(BINARY[token](stack.pop(), right))
        elif token in UNARY:
            stack.append(UNARY[token](stack.pop()))
        else:
            stack.append(float(token))
    return stack


# Unset, ignored, odd, fractional, limit and out-of-range values.
PROBES = (0.0, -1.0, -0.5, 0.7, 1.0, 1.5, 2.0, 3.0, 3.5, 4.0, 4.2, 4.9, 5.0, 7.0, 13.0, 12.5, 40.0, 160.0,
          319.0, 320.0, 640.0, 1000.0)
MODE, RANGE, TAGS, FILTER, ALERTS = "radar mode", "radar range", "radar altitude tags", "radar filter", "radar alerts"
MUTE, AUTO_RANGE = "radar alert mute", "radar auto range"
TRAILS, DIMMING = "radar trails", "radar dimming"
TOGGLES = (TAGS, ALERTS, MUTE, AUTO_RANGE, TRAILS)
WRITE = re.compile(r"\(\s*>\s*L:([^,)]+)")


def check_faces(root):
    """Each face shows something whatever another gauge wrote."""
    for select in root.iter("Select"):
        script = select.findtext("Value") or ""
        cases = {float(case.get("Value")) for case in select.iter("Case")}
        for name in {match.strip().lower() for match in L_VARIABLE.findall(script)}:
            for probe in PROBES:
                shown = run_script(script, {name: probe})
                if len(shown) != 1 or shown[0] not in cases:
                    fail(f"{SWITCHES}: face {script!r} shows nothing for {name} = {probe}")
                    break


def expected_after(name, start, tooltip):
    """What a click should leave, the setting taken as the radar reads it:
    the range halved or doubled in whole miles within 5..320 (an unset or
    ignored range counts as the radar's 40 NM); tags, alerts, the voice's mute,
    the auto range and trails toggled (only 1 is on);
    the filter one band on, after 4 back to 0 (an unknown value shows all);
    the dimming a step of 10 darker or brighter from the step the radar reads
    (below 0 none, above 90 the most), within 0..90."""
    state = math.trunc(start)
    if name == RANGE:
        factor = 0.5 if "down" in tooltip else 2.0
        return min(320.0, max(5.0, math.floor((start if start >= 5 else 40.0) * factor + 0.5)))
    if name in TOGGLES:
        return 0.0 if state == 1 else 1.0
    if name == DIMMING:
        step = math.floor(min(90, max(0, math.floor(start))) / 10) * 10
        return float(min(90, step + 10) if "darker" in tooltip else max(0, step - 10))
    if name == FILTER:
        return float((state + 1) % 5) if 0 <= state <= 4 else 1.0
    return None


def check_buttons(root):
    clicks = {(area.findtext("Tooltip") or "").lower(): area.findtext("Click") or "" for area in root.iter("Area")}
    modes = set()
    for tooltip, script in clicks.items():
        written = {name.strip().lower() for name in WRITE.findall(script)}
        for probe in PROBES:
            variables = dict.fromkeys((MODE, RANGE, FILTER, DIMMING) + TOGGLES, probe)
            try:
                left = run_script(script, variables)
            except (IndexError, KeyError, ValueError, ZeroDivisionError) as error:
                fail(f"{SWITCHES}: the script of {tooltip!r} does not run: {error!r}")
                break
            if left:
                fail(f"{SWITCHES}: the script of {tooltip!r} leaves {left} on the stack")
            if MODE in written:
                modes.add(variables[MODE])
            wrong = [name for name in written - {MODE} if variables[name] != expected_after(name, probe, tooltip)]
            if wrong:
                fail(f"{SWITCHES}: {tooltip!r} from {probe} sets {wrong[0]} to {variables[wrong[0]]}")
                break
    if modes != {2.0, 3.0, 4.0}:
        fail(f"{SWITCHES}: the view buttons set {sorted(modes)}, not one each of 2, 3 and 4")
    if not any("range down" in tooltip for tooltip in clicks) or not any("range up" in t for t in clicks):
        fail(f"{SWITCHES}: no range down and range up buttons")


def check_sums(files):
    listed = {}
    for line in files.get(SUMS, b"").decode("ascii", "replace").splitlines():
        digest, _, name = line.partition("  ")
        listed[name] = digest
    for name, data in sorted(files.items()):
        if name == SUMS:
            continue
        if name not in listed:
            fail(f"{SUMS} does not list {name}")
        elif listed.pop(name) != hashlib.sha256(data).hexdigest():
            fail(f"{SUMS}: wrong checksum for {name}")
    for name in sorted(listed):
        fail(f"{SUMS} lists {name}, which is not in the zip")


def check_windows_text(name, data):
    """What Notepad shows right: ASCII, every line ended by CR LF."""
    if any(byte > 0x7e or (byte < 0x20 and byte not in b"\t\r\n") for byte in data):
        fail(f"{name}: not plain ASCII text")
    if data.count(b"\n") != data.count(b"\r\n") or data.count(b"\r") != data.count(b"\r\n"):
        fail(f"{name}: lines not ended by CR LF throughout")
    if not data.endswith(b"\r\n"):
        fail(f"{name}: the last line has no line end")


def check_readme(data, variables, version):
    text = data.decode("ascii", "replace")
    for name in sorted(variables.values()):
        if f'"{name}"' not in text:
            fail(f'{README} does not describe the panel variable "{name}"')
    if version not in text:
        fail(f"{README} does not give the version {version}")


def check_examples(files, gauges):
    references = 0
    for example in EXAMPLES:
        for file_name, gauge in GAUGE_LINE.findall(files.get(example, b"").decode("ascii", "replace")):
            file_name, gauge = file_name.strip(), gauge.strip()
            references += 1
            if file_name == "Quillon":
                if gauge not in gauges:
                    fail(f"{example}: Quillon!{gauge} is not a gauge of the module")
            elif f"Gauges/{file_name}/{gauge}.xml" not in files:
                fail(f"{example}: {file_name}!{gauge} is not a gauge file in the zip")
    if references == 0:
        fail("the panel.cfg examples place no gauge")


def main():
    parser = argparse.ArgumentParser(description="Check the release zip.")
    parser.add_argument("--dll", default="", help="the tested 32-bit Quillon.dll")
    parser.add_argument("--version-tool", required=True)
    parser.add_argument("--names-tool", required=True)
    parser.add_argument("--module", required=True, help="Quillon.so for the stand-in host")
    parser.add_argument("--workdir", required=True)
    parser.add_argument("--zip", help="check this zip instead of making one")
    args = parser.parse_args()
    if not args.dll or not os.path.exists(args.dll):
        print("skipped: no 32-bit DLL given to this build (make test passes it)")
        return SKIPPED

    version = run([args.version_tool, args.dll]).strip()
    gauges, variables = module_names(args.names_tool, args.module)
    path = args.zip or fresh_zip(args)
    if os.path.basename(path) != f"Quillon-{version}.zip":
        fail(f"{path} is not named after the DLL's version {version}")

    with zipfile.ZipFile(path) as archive:
        check_file_list(archive)
        files = {name: archive.read(name) for name in archive.namelist()}
    check_dll(files, args.dll)
    check_switches(files.get(SWITCHES, b""), variables)
    check_sums(files)
    for name, data in files.items():
        if name != DLL:
            check_windows_text(name, data)
    if README in files:
        check_readme(files[README], variables, version)
    check_examples(files, gauges)

    for message in failures:
        print(f"FAIL: {message}")
    print(f"{path}: {len(files)} files, {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
