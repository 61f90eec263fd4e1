#!/usr/bin/env python3
"""make_folder.py COUNT OUT [SAMPLE]: one folder of COUNT small files for the copy of the
deployment. The files are those of the sample distribution below SAMPLE (J2SE and TOMCAT, every
level), repeated under numbered names; without SAMPLE they are made up with the same spread of
sizes (a few dozen bytes to a few KiB)."""

import os
import sys


def sample_files(sample):
    found = []
    for top in ("J2SE", "TOMCAT"):
        for folder, _, names in os.walk(os.path.join(sample, top)):
            for name in sorted(names):
                with open(os.path.join(folder, name), "rb") as f:
                    found.append((name, f.read()))
    return found


def made_up_files():
    sizes = [25, 43, 59, 131, 179, 329, 513, 682, 1251, 1377, 4096]
    return [(f"file{i}.dat", bytes((i + k) % 251 for k in range(size)))
            for i, size in enumerate(sizes)]


def main():
    count, out = int(sys.argv[1]), sys.argv[2]
    sample = sys.argv[3] if len(sys.argv) > 3 else ""
    files = sample_files(sample) if sample and os.path.isdir(sample) else made_up_files()
    if not files:
        sys.exit("make_folder.py: no files in the sample")
    os.makedirs(out, exist_ok=True)
    for i in range(count):
        name, data = files[i % len(files)]
        with open(os.path.join(out, f"{i:05d}-{name}"), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
