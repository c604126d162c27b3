#!/usr/bin/env bash
# Runs a command while our stand-in program-list server (tests/fixtures/
# program_server.py) answers on 127.0.0.1 port 80 and the program list's host
# name leads there: with_program_server.sh HOST COMMAND...
# The command runs in a network and mount namespace of its own: its own
# loopback (no other test's port 80) and its own /etc/hosts, which is where
# Wine resolves names (a hosts file in the Wine prefix is not read). That
# needs root; without it the test is skipped (exit code 77).
set -u
host=$1
shift
if [ -z "${CORV_PROGRAM_SERVER_NAMESPACE:-}" ]; then
    if [ "$(id -u)" -ne 0 ] || ! unshare --net --mount true 2>/dev/null; then
        echo "SKIPPED: the download tests need root, for port 80 and a private /etc/hosts"
        exit 77
    fi
    CORV_PROGRAM_SERVER_NAMESPACE=1 exec unshare --net --mount "$0" "$host" "$@"
fi

work=$(mktemp -d)
server=
stop() {
    [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
    rm -rf "$work"
}
trap stop EXIT
ip link set lo up
{ cat /etc/hosts; echo "127.0.0.1 $host"; } >"$work/hosts"
mount --bind "$work/hosts" /etc/hosts

python3 "$(dirname "$0")/../fixtures/program_server.py" "$work/root" "$work/ready" &
server=$!
for _ in $(seq 300); do
    [ -f "$work/ready" ] && break
    kill -0 "$server" 2>/dev/null || { echo "the program server did not start"; exit 1; }
    sleep 0.1
done
[ -f "$work/ready" ] || { echo "the program server did not start in time"; exit 1; }

# Wine shows the Linux file system as drive Z:.
export CORV_PROGRAM_SERVER_ROOT="Z:${work//\//\\}\\root\\"
"$@"
