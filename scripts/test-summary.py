#!/usr/bin/env python3
"""Counts what each test phase really ran, from GoogleTest's own XML and ctest's JUnit file.

Usage: test-summary.py PHASE:CTEST_JUNIT:GTEST_DIR[:FUZZ_LOG] ...
A GoogleTest program counts its test cases as its XML reports them. A ctest entry that left no
such XML (a script, or a program that crashed before writing it) counts as one test with
ctest's verdict. A fuzz phase names its log, whose "== TARGET" and "FOUND A PROBLEM" lines count
one test per target. Prints one line per phase, every skipped test with its reason, and a last
line "N passed, N failed, N skipped". Exits 1 when anything failed or a phase ran nothing.
"""
import os
import re
import sys
import xml.etree.ElementTree as ET


def gtest_counts(path):
    """(passed, failed, skipped list) from one GoogleTest XML file."""
    passed, failed, skipped = 0, [], []
    # GoogleTest copies parameter values byte for byte (GBK names, say): read what is not
    # UTF-8 as replacement characters rather than give up on the whole file.
    with open(path, "rb") as data:
        root = ET.fromstring(data.read().decode("utf-8", "replace").encode("utf-8"))
    for case in root.iter("testcase"):
        name = f'{case.get("classname")}.{case.get("name")}'
        if case.get("status") == "notrun":
            continue  # DISABLED_ tests: reported by GoogleTest itself, never run
        if case.find("failure") is not None or case.find("error") is not None:
            failed.append(name)
        elif case.get("result") == "skipped" or case.find("skipped") is not None:
            node = case.find("skipped")
            reason = (node.get("message") or node.text or "") if node is not None else ""
            skipped.append((name, " ".join(reason.split()) or "no reason given"))
        else:
            passed += 1
    return passed, failed, skipped


def phase_counts(junit, gtest_dir):
    passed, failed, skipped, programs = 0, [], [], 0
    ctest_cases = []
    if junit and os.path.exists(junit):
        with open(junit, "rb") as data:
            cases = ET.fromstring(data.read().decode("utf-8", "replace").encode("utf-8"))
        for case in cases.iter("testcase"):
            status = case.get("status") or ""
            if case.find("failure") is not None or case.find("error") is not None:
                status = "fail"
            elif case.find("skipped") is not None and status != "run":
                status = "skipped"
            ctest_cases.append((case.get("name"), status, case))
    for name, status, case in ctest_cases:
        xml = os.path.join(gtest_dir, name + ".xml")
        if os.path.exists(xml) and status != "fail":
            p, f, s = gtest_counts(xml)
            programs += 1
            passed, failed, skipped = passed + p, failed + [f"{name}: {t}" for t in f], skipped + s
        elif os.path.exists(xml):
            # A failing program: its failed cases when it got to write them, else the program.
            p, f, s = gtest_counts(xml)
            programs += 1
            passed, skipped = passed + p, skipped + s
            failed += [f"{name}: {t}" for t in f] or [f"{name} (exited with a failure)"]
        elif status == "skipped" or status == "notrun":
            message = case.find("skipped")
            skipped.append((name, (message.get("message") if message is not None else "")
                            or "not run by ctest"))
        elif status == "fail":
            failed.append(name)
        else:
            passed += 1
    return passed, failed, skipped, len(ctest_cases)


def fuzz_counts(log):
    passed, failed = 0, []
    if not os.path.exists(log):
        return 0, ["fuzz log missing"], [], 0
    targets = []
    with open(log, errors="replace") as text:
        for line in text:
            m = re.match(r"== (\S+)", line)
            if m:
                targets.append(m.group(1))
            m = re.match(r"(\S+) FOUND A PROBLEM", line)
            if m:
                failed.append(m.group(1))
            if "fuzz build failed" in line:
                failed.append("fuzz build")
    passed = len([t for t in targets if t not in failed])
    return passed, failed, [], len(targets)


def main(args):
    total_passed = total_failed = total_skipped = 0
    all_skipped, all_failed, ok = [], [], True
    print("== summary (tests counted from GoogleTest's own output)")
    for spec in args:
        parts = spec.split(":")
        phase = parts[0]
        if len(parts) > 3 and parts[3]:
            p, f, s, entries = fuzz_counts(parts[3])
        elif parts[1] == "-":
            print(f"{phase:9} not run (its build failed)")
            all_failed.append(f"{phase}: build failed")
            ok = False
            continue
        else:
            p, f, s, entries = phase_counts(parts[1], parts[2])
        run = p + len(f) + len(s)
        print(f"{phase:9} {run:5} run, {len(f):3} failed, {len(s):3} skipped")
        if entries == 0 or run == 0:
            print(f"{phase:9} ran no tests at all: counted as a failure")
            all_failed.append(f"{phase}: no tests")
            ok = False
        total_passed += p
        total_failed += len(f)
        total_skipped += len(s)
        all_failed += [f"{phase}: {name}" for name in f]
        all_skipped += [(phase, name, why) for name, why in s]
    for name in all_failed:
        print(f"FAILED  {name}")
    for phase, name, why in all_skipped:
        print(f"SKIPPED {phase}: {name}: {why}")
    print(f"{total_passed} passed, {total_failed} failed, {total_skipped} skipped")
    return 0 if ok and total_failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
