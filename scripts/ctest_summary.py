#!/usr/bin/env python3
"""The closing lines of a test run, from ctest's output:

    python3 scripts/ctest_summary.py build/logs/ctest.log [LastTest.log]

names each test that did not run (skipped, disabled) with the reason it
gave (read from ctest's full log of the run, when given), then
prints one line "summary: P passed, F failed, S skipped, R probe launches
repeated". A test that was skipped is never counted as passed, though
ctest's own percentage does. R counts the launches of winprobe that the
black-box harness had to repeat because Wine did not start the probe (its
line on standard error, found in the full log); without that log the line
ends at "S skipped".
"""
import re
import sys


# The black-box harness's line for a probe that it starts once more.
REPEATED_PROBE = re.compile(r"^winprobe .*: Wine did not start the probe .*; starting it again$", re.M)


def read_log(log_path):
    """ctest's LastTest.log, or None when it cannot be read."""
    try:
        with open(log_path, encoding="utf-8", errors="replace") as f:
            return f.read()
    except OSError:
        return None


def skip_reasons(log):
    """{test name: the reason it gave for skipping} from ctest's LastTest.log:
    unittest's "... skipped 'why'" and GoogleTest's "Skipped" then the why."""
    reasons = {}
    for block in re.split(r"^\d+/\d+ Testing: ", log, flags=re.M)[1:]:
        name = block.split("\n", 1)[0].strip()
        m = re.search(r" \.\.\. skipped '(.*)'$", block, re.M) or \
            re.search(r": Skipped\n(.+)$", block, re.M)
        if m:
            reasons[name] = m.group(1).strip()
    return reasons


def main(path, log_path=None):
    with open(path, encoding="utf-8", errors="replace") as f:
        text = f.read()
    total = re.search(r"tests passed, (\d+) tests? failed out of (\d+)", text)
    if not total:
        print("summary: 0 passed, 1 failed, 0 skipped (ctest printed no result)")
        return 1
    failed, count = int(total.group(1)), int(total.group(2))
    not_run = []
    section = text.split("The following tests did not run:", 1)
    if len(section) == 2:
        for line in section[1].splitlines()[1:]:
            m = re.match(r"\s*\d+ - (\S+) \((.+)\)\s*$", line)
            if not m:
                break
            not_run.append((m.group(1), m.group(2)))
    log = read_log(log_path) if log_path else None
    reasons = skip_reasons(log) if log is not None else {}
    skipped = [name for name, _ in not_run]
    print("%d test%s skipped%s" % (len(skipped), "" if len(skipped) == 1 else "s",
                                   ":" if skipped else "."))
    for name, why in not_run:
        print("  %s (%s)%s" % (name, why, ": " + reasons[name] if name in reasons else ""))
    line = "summary: %d passed, %d failed, %d skipped" % (count - failed - len(skipped), failed, len(skipped))
    if log is not None:
        line += ", %d probe launches repeated" % len(REPEATED_PROBE.findall(log))
    print(line)
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:3]))
