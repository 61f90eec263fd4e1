"""What setup.exe shows, logs and leaves on a machine: its boxes, its exit codes and what they
mean, the lines of its log, the files it deploys and rewrites, the environment and the data source
it writes. The scenarios, the interrupted-run test and the demo all take their expectations from
here."""
