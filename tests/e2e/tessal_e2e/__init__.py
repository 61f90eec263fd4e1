"""The end-to-end harness of setup.exe: Windows machines under Wine, what a run is expected to
show, log and leave on them, and the scenarios and tests that compare the two.

Standard library only, for Debian's /usr/bin/python3: the tests carry on as the unprivileged user
that Wine runs as, who may not read an interpreter installed below root's home.
"""
