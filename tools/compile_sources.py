"""The C++ files of a compile database that lie below the given folders, one a line.

  compile_sources.py DATABASE FOLDER...
      DATABASE is a compile_commands.json; each FOLDER is a path relative to the current folder,
      the root of the tree, and ends in "/" where a folder is meant (platform/win32/), or names a
      single file (app/winmain.cpp). check-static.sh hands the files to clang-tidy and cppcheck.
"""

import json
import os
import sys


def sources_in(database, folders):
    root = os.getcwd() + "/"
    with open(database) as commands:
        entries = json.load(commands)
    for entry in entries:
        path = os.path.normpath(os.path.join(entry["directory"], entry["file"]))
        relative = path[len(root):] if path.startswith(root) else path
        if relative.endswith(".cpp") and any(relative.startswith(f) for f in folders):
            yield relative


def main():
    for source in sources_in(sys.argv[1], sys.argv[2:]):
        print(source)


if __name__ == "__main__":
    main()
