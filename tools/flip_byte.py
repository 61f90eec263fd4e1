"""Copies a file with its middle byte inverted, as a copy damaged on the way would be.

  flip_byte.py FILE COPY
      check-signing.sh proves with it that a signed setup.exe whose bytes changed no longer
      verifies, and fails on its digest.
"""

import sys


def main():
    source, copy = sys.argv[1], sys.argv[2]
    with open(source, "rb") as original:
        data = bytearray(original.read())
    data[len(data) // 2] ^= 0xFF
    with open(copy, "wb") as damaged:
        damaged.write(data)


if __name__ == "__main__":
    main()
