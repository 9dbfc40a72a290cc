#!/usr/bin/env python3
"""Every TEST in tests/ must assert something: its body (or a helper it calls whose name starts
with "expect" or "check") holds an EXPECT_, ASSERT_, FAIL or ADD_FAILURE. Prints the tests that
hold none and fails when there are any.
Usage: check_test_assertions.py ROOT
"""
import pathlib
import re
import sys

TEST_START = re.compile(r'^\s*(TEST|TEST_F|TEST_P)\s*\(\s*(\w+)\s*,\s*(\w+)\s*\)', re.M)
ASSERTS = re.compile(r'\b(EXPECT_\w+|ASSERT_\w+|FAIL|ADD_FAILURE|GTEST_SKIP)\s*\(')
HELPER_CALL = re.compile(r'\b((?:test::)?(?:expect|check)[A-Z]\w*)\s*\(')


def strip(text):
    """Comments, string and character literals blanked out, so braces in them do not count."""
    out, i, n = [], 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            i = n if j < 0 else j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            i = n if j < 0 else j + 2
        elif text.startswith('R"', i):
            m = re.match(r'R"([^(]*)\(', text[i:])
            end = text.find(")" + m.group(1) + '"', i) if m else -1
            i = n if end < 0 else end + len(m.group(1)) + 2
            out.append('""')
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            out.append(c + c)
            i = j + 1
        else:
            out.append(c)
            i += 1
    return "".join(out)


def body_at(text, start):
    """The text between the first '{' after start and its matching '}'."""
    open_at = text.find("{", start)
    depth = 0
    for j in range(open_at, len(text)):
        if text[j] == "{":
            depth += 1
        elif text[j] == "}":
            depth -= 1
            if depth == 0:
                return text[open_at + 1:j]
    return text[open_at + 1:]


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".")
    tests = root / "tests"
    helpers_with_asserts = set()
    sources = {}
    for path in sorted(tests.rglob("*")):
        if path.suffix in (".cpp", ".h"):
            sources[path] = strip(path.read_text(errors="replace"))
    # Helpers: functions named expect…/check… whose body asserts (one level is enough here).
    func = re.compile(r'\b((?:expect|check)[A-Z]\w*)\s*\([^;{]*\)\s*(?:const\s*)?\{')
    for text in sources.values():
        for m in func.finditer(text):
            if ASSERTS.search(body_at(text, m.end() - 1)):
                helpers_with_asserts.add(m.group(1))
    missing = []
    for path, text in sources.items():
        if not path.name.endswith("_test.cpp"):
            continue
        for m in TEST_START.finditer(text):
            body = body_at(text, m.end())
            if ASSERTS.search(body):
                continue
            calls = {c.split("::")[-1] for c in HELPER_CALL.findall(body)}
            if calls & helpers_with_asserts:
                continue
            missing.append(f"{path.relative_to(root)}: {m.group(2)}.{m.group(3)} asserts nothing")
    for line in missing:
        print(line)
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main())
