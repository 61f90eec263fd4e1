#!/bin/bash
# The X server that a Wine prefix shows its windows on: a screen of its own. It picks a free
# display, so that parallel runs never collide, and writes its number to file descriptor FD once
# it takes clients. It never resets: programs come and go on it, and a server that reset each time
# its last client left would refuse the clients that connected meanwhile.
#   screen.sh FD
exec Xvfb -displayfd "$1" -screen 0 1280x1024x24 -nolisten tcp -noreset
