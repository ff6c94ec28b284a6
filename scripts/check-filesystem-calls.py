#!/usr/bin/env python3
"""Fails when program code calls a std::filesystem function that throws.

Every call of a std::filesystem operation outside tests/ and bench/ must pass a
std::error_code (its last argument names one), so nothing on disk can end the program with
an exception. Run from the repository; prints each offending call and exits 1.
"""
import pathlib
import re
import subprocess
import sys

# The operations that throw filesystem_error without an error_code argument.
THROWING = """absolute canonical copy copy_file copy_symlink create_directories create_directory
create_hard_link create_symlink create_directory_symlink current_path equivalent exists
file_size hard_link_count is_block_file is_character_file is_directory is_empty is_fifo
is_other is_regular_file is_socket is_symlink last_write_time permissions proximate
read_symlink relative remove remove_all rename resize_file space status symlink_status
temp_directory_path weakly_canonical directory_iterator recursive_directory_iterator""".split()
# directory_entry's members that throw without an error_code (entry.is_directory()).
MEMBERS = """exists file_size hard_link_count is_block_file is_character_file is_directory
is_fifo is_other is_regular_file is_socket is_symlink last_write_time refresh status
symlink_status""".split()
SKIP = ("tests/", "bench/")
ERROR_CODE = re.compile(r"\b(ec|error|err|errc|error_code|std::error_code\s*\{\s*\})\w*\s*$")


def call_arguments(text, open_paren):
    depth = 0
    for i in range(open_paren, len(text)):
        if text[i] == "(":
            depth += 1
        elif text[i] == ")":
            depth -= 1
            if depth == 0:
                return text[open_paren + 1:i]
    return ""


def last_argument(args):
    depth, start = 0, 0
    for i, c in enumerate(args):
        if c in "([{<":
            depth += 1
        elif c in ")]}>":
            depth -= 1
        elif c == "," and depth == 0:
            start = i + 1
    return args[start:].strip()


def strip_comments(text):
    text = re.sub(r"//[^\n]*", "", text)
    return re.sub(r"/\*.*?\*/", lambda m: "\n" * m.group(0).count("\n"), text, flags=re.S)


def check(path):
    text = strip_comments(path.read_text(encoding="utf-8", errors="replace"))
    if "filesystem" not in text:
        return []
    found = []
    if re.search(r"using\s+namespace\s+std::filesystem", text):
        found.append((1, "using namespace std::filesystem (calls cannot be checked)"))
    aliases = ["std::filesystem"] + re.findall(r"namespace\s+(\w+)\s*=\s*std::filesystem\s*;", text)
    prefix = "|".join(re.escape(a) for a in aliases)
    calls = re.compile(r"\b(?:%s)::(%s)\s*\(" % (prefix, "|".join(THROWING)))
    for m in calls.finditer(text):
        args = call_arguments(text, m.end() - 1)
        if not ERROR_CODE.search(last_argument(args)) or not args.strip():
            line = text.count("\n", 0, m.start()) + 1
            found.append((line, m.group(0) + args + ")"))
    members = re.compile(r"\.(%s)\(\s*\)" % "|".join(MEMBERS))
    if "directory_entry" in text or "directory_iterator" in text:
        for m in members.finditer(text):
            line = text.count("\n", 0, m.start()) + 1
            found.append((line, m.group(0)))
    return found


def main():
    files = subprocess.run(["git", "ls-files", "*.cpp", "*.h"], capture_output=True, text=True,
                           check=True).stdout.split()
    bad = 0
    for name in files:
        if name.startswith(SKIP):
            continue
        for line, call in check(pathlib.Path(name)):
            print(f"{name}:{line}: std::filesystem call without an error code: {call}")
            bad += 1
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
