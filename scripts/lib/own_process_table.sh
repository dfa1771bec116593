#!/bin/sh
# Runs a test program in a process table of its own - a PID namespace with
# its own /proc - where the system allows it, else as it is. The installer
# looks for the product's processes machine-wide; test runs of other
# checkouts on the same machine start that product too, and must not show up
# in this run's flows (nor this run's products in theirs). Every process the
# program leaves behind ends with it.
#
# A shell stays the namespace's first process and waits for the program, so
# the program is not the one that adopts orphans: a process it starts
# detached is still no child of it.
if unshare --pid --fork --mount-proc --kill-child -- true >/dev/null 2>&1; then
  exec unshare --pid --fork --mount-proc --kill-child -- /bin/sh -c '"$@"; exit $?' sh "$@"
fi
exec "$@"
