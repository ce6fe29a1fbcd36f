#!/usr/bin/env python3
"""Says, one line a stage, which stages of the test run skipped tests and why.

A skipped test checked nothing, so the end of scripts/test.sh must show every
one, however green the run: the reason is the last line of the test's output
that starts with "SKIP" (the tests' own words), or CTest's when it has none.

    skipped_tests.py "STAGE NAME=JUNIT.xml" ...

A stage whose file is missing did not run, which the line says too.
"""
import sys
import xml.etree.ElementTree as ElementTree


def skip_reason(case):
    output = case.findtext("system-out") or ""
    said = [line.strip() for line in output.splitlines() if line.lstrip().startswith("SKIP")]
    if said:
        return said[-1].split(":", 1)[-1].strip()
    skipped = case.find("skipped")
    return (skipped.get("message") if skipped is not None else None) or "no reason given"


def stage_line(stage, path):
    try:
        cases = ElementTree.parse(path).getroot().iter("testcase")
    except (OSError, ElementTree.ParseError):
        return f"{stage}: did not run"
    cases = list(cases)
    skipped = [case for case in cases if case.get("status") == "notrun" or case.find("skipped") is not None]
    if not skipped:
        return None
    by_reason = {}
    for case in skipped:
        by_reason.setdefault(skip_reason(case), []).append(case.get("name"))
    reasons = "; ".join(f"{reason} ({', '.join(names)})" for reason, names in by_reason.items())
    return f"{stage}: {len(skipped)} of {len(cases)} skipped: {reasons}"


def main():
    lines = [line for line in (stage_line(*argument.split("=", 1)) for argument in sys.argv[1:]) if line]
    print("== not run or skipped ==")
    print("\n".join(lines) if lines else "nothing: every stage ran every test")


if __name__ == "__main__":
    main()
