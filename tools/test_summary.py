#!/usr/bin/env python3
"""Sums up a test run: GoogleTest cases from their XML reports, other ctest
tests one each. Prints "N passed, N failed[, N skipped]"; exit 1 on failures.

    test_summary.py TREE...    (build trees with ctest-junit.xml and test-results/)
"""
import os
import sys
import xml.etree.ElementTree as ET


def gtest_counts(path):
    """(passed, failed, skipped) of one GoogleTest report, or None if unreadable."""
    try:
        root = ET.parse(path).getroot()
    except (ET.ParseError, OSError):
        return None
    passed = failed = skipped = 0
    for case in root.iter("testcase"):
        if case.find("failure") is not None or case.find("error") is not None:
            failed += 1
        elif case.get("result") == "skipped" or case.get("status") == "notrun" \
                or case.find("skipped") is not None:
            skipped += 1
        else:
            passed += 1
    return passed, failed, skipped


def tree_counts(tree):
    junit = os.path.join(tree, "ctest-junit.xml")
    results = os.path.join(tree, "test-results")
    try:
        with open(os.path.join(tree, "gtest-tests.txt")) as f:
            gtests = set(f.read().split())
    except OSError:
        gtests = set()
    try:
        cases = list(ET.parse(junit).getroot().iter("testcase"))
    except (ET.ParseError, OSError):
        print(f"test_summary: no ctest report in {tree}", file=sys.stderr)
        return 0, 1, 0
    totals = [0, 0, 0]
    for case in cases:
        name = case.get("name")
        status = case.get("status")
        ctest_failed = status == "fail" or case.find("failure") is not None
        ctest_skipped = status in ("disabled", "notrun") or case.find("skipped") is not None
        report = os.path.join(results, name + ".xml")
        counts = gtest_counts(report) if os.path.exists(report) else None
        if counts is None and name in gtests and not ctest_skipped:
            print(f"no test report from {os.path.basename(tree)}/{name}")
            counts = (0, 1, 0)
        elif counts is None:
            counts = (0, 1, 0) if ctest_failed else (0, 0, 1) if ctest_skipped else (1, 0, 0)
        elif ctest_failed and counts[1] == 0:
            counts = (counts[0], 1, counts[2])  # crashed or failed after its cases ran
        if ctest_failed or counts[1]:
            print(f"FAILED: {os.path.basename(tree)}/{name}")
        for i in range(3):
            totals[i] += counts[i]
    return tuple(totals)


def main(trees):
    passed = failed = skipped = 0
    for tree in trees:
        p, f, s = tree_counts(tree)
        passed, failed, skipped = passed + p, failed + f, skipped + s
    line = f"{passed} passed, {failed} failed"
    if skipped:
        line += f", {skipped} skipped"
    print(line)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
