#!/usr/bin/env python3
"""Where a process's resident size lies, by kind of mapping, from /proc/PID/smaps.

    bench/e2e/rss_by_mapping.py PID [TOP]

Prints one line of totals in KiB: files mapped (shared libraries, fonts, caches),
the heap and anonymous mappings (the C library's heaps and thread arenas, blocks
mapped apart such as pictures, thread stacks), and shared memory (the X server's
segments of Qt's backing store). With TOP, the TOP largest holders follow, one a
line: files by path, anonymous mappings one by one by address (the kernel merges
adjacent ones of the same kind into one).
"""
import re
import sys

MAPPING = re.compile(r"^([0-9a-f]+)-[0-9a-f]+ (\S+) \S+ \S+ \S+\s*(.*)$")


def mappings(pid):
    found = []
    with open(f"/proc/{pid}/smaps") as smaps:
        for line in smaps:
            header = MAPPING.match(line)
            if header:
                found.append({"address": header.group(1), "perms": header.group(2), "name": header.group(3), "rss": 0})
            elif line.startswith("Rss:"):
                found[-1]["rss"] = int(line.split()[1])
    return found


def kind(mapping):
    name, perms = mapping["name"], mapping["perms"]
    if name.startswith(("/memfd:", "/SYSV", "/dev/shm/")) or (perms.endswith("s") and not name.startswith("/")):
        return "shared memory"
    if name.startswith("/"):
        return "files"
    return "heap and anonymous"


def main():
    pid = sys.argv[1]
    top = int(sys.argv[2]) if len(sys.argv) > 2 else 0
    totals = {"files": 0, "heap and anonymous": 0, "shared memory": 0}
    holders = {}
    for mapping in mappings(pid):
        totals[kind(mapping)] += mapping["rss"]
        if mapping["name"].startswith("/"):
            holders[mapping["name"]] = holders.get(mapping["name"], 0) + mapping["rss"]
        else:
            label = f"{mapping['name'] or '[anonymous]'} {mapping['perms']} at {mapping['address']}"
            holders[label] = mapping["rss"]
    print(", ".join(f"{name} {kib} KiB" for name, kib in totals.items()))
    for name, kib in sorted(holders.items(), key=lambda item: -item[1])[:top]:
        print(f"{kib:8} KiB  {name}")


if __name__ == "__main__":
    main()
