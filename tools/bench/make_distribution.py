#!/usr/bin/env python3
"""make_distribution.py OUT FILES MIB [SAMPLE]: a large distribution for a whole run. The sample's
J2SE and TOMCAT trees (its files that ATTRIBUTES marks hidden or system left out, as the release
folder leaves them out), then FILES more of its files under numbered names spread over the twelve
packaged folders, and MIB MiB of jars of 2 MiB each in WEB-INF\\lib; and SHA256SUMS over every
file, as the release folder carries it."""

import hashlib
import os
import pathlib
import random
import shutil
import sys

FOLDERS = ["J2SE/bin", "J2SE/jre/lib", "TOMCAT/conf", "TOMCAT/webapps/tessal"] + [
    "TOMCAT/webapps/tessal/" + sub for sub in (
        "images", "logs", "temp", "WEB-INF", "WEB-INF/classes", "WEB-INF/classes/tessalLib",
        "WEB-INF/lib", "xls")]
JAR = 2 << 20


def main():
    out, count, mib = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    sample = sys.argv[4] if len(sys.argv) > 4 else os.path.join(os.path.dirname(__file__),
                                                                "..", "..", "sample")
    shutil.rmtree(out, ignore_errors=True)
    for top in ("J2SE", "TOMCAT"):
        shutil.copytree(os.path.join(sample, top), os.path.join(out, top))
    with open(os.path.join(sample, "ATTRIBUTES"), encoding="utf-8") as attributes:
        for line in attributes:
            if line.strip() and not line.startswith("#"):
                os.remove(os.path.join(out, line.split(None, 1)[1].strip().replace("\\", "/")))
    files = []
    for top in ("J2SE", "TOMCAT"):
        for folder, _, names in os.walk(os.path.join(out, top)):
            files += [pathlib.Path(folder, name).read_bytes() for name in sorted(names)]
    for i in range(count):
        folder = os.path.join(out, FOLDERS[i % len(FOLDERS)])
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, f"{i:05d}.dat"), "wb") as f:
            f.write(files[i % len(files)])
    jars = random.Random(24)
    for i in range(mib * (1 << 20) // JAR):
        with open(os.path.join(out, "TOMCAT/webapps/tessal/WEB-INF/lib", f"bulk{i:03d}.jar"),
                  "wb") as f:
            f.write(jars.randbytes(JAR))
    lines = []
    for folder, _, names in sorted(os.walk(out)):
        for name in sorted(names):
            path = os.path.join(folder, name)
            digest = hashlib.sha256(pathlib.Path(path).read_bytes()).hexdigest()
            lines.append(f"{digest}  {os.path.relpath(path, out)}\n")
    with open(os.path.join(out, "SHA256SUMS"), "w", encoding="utf-8", newline="\n") as f:
        f.writelines(lines)


if __name__ == "__main__":
    main()
