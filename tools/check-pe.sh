#!/bin/sh
exec /usr/bin/python3 "$(dirname "$0")/check_pe.py" "$@"
