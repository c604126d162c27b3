#!/usr/bin/env bash
# with_program_server.sh HOST COMMAND...: runs the command while our stand-in
# program-list server (tests/fixtures/program_server.py) answers on ports 443
# and 80 of a loopback address of its own (127.x.y.z: no other run's ports),
# in a mount namespace whose /etc/hosts leads HOST there and whose system
# trust store also holds a test CA that made the server's certificate. Wine
# resolves names and reads the trust store in the program itself (a hosts
# file in the prefix is not read), while its sockets belong to the
# wineserver, which may be shared: so the network stays the machine's. That
# needs root; without it the test is skipped (exit code 77).
set -u
if [ -z "${CORV_PROGRAM_SERVER_NAMESPACE:-}" ]; then
    if [ "$(id -u)" -ne 0 ] || ! unshare --mount true 2>/dev/null; then
        echo "SKIPPED: the download tests need root, for port 80 and a private /etc/hosts"
        exit 77
    fi
    CORV_PROGRAM_SERVER_NAMESPACE=1 exec unshare --mount "$0" "$@"
fi
host=$1
shift
address=127.$((RANDOM % 250 + 2)).$((RANDOM % 250 + 2)).$((RANDOM % 250 + 2))
work=$(mktemp -d)
server=
trap '[ -n "$server" ] && kill "$server" && wait "$server"; rm -rf "$work"' EXIT
{ cat /etc/hosts; echo "$address $host"; } >"$work/hosts"
mount --bind "$work/hosts" /etc/hosts

mkdir "$work/root"
key() { openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out "$1"; }
key "$work/ca.key" && key "$work/root/server.key" &&
    openssl req -x509 -key "$work/ca.key" -subj "/CN=Quillmere test CA" -days 2 -out "$work/ca.pem" &&
    openssl req -new -key "$work/root/server.key" -subj "/CN=$host" |
    openssl x509 -req -CA "$work/ca.pem" -CAkey "$work/ca.key" -days 2 -out "$work/root/server.pem" \
        -extfile <(echo "subjectAltName=DNS:$host") 2>/dev/null || { echo "no test certificate"; exit 1; }
cat /etc/ssl/certs/ca-certificates.crt "$work/ca.pem" >"$work/roots.crt"
mount --bind "$work/roots.crt" /etc/ssl/certs/ca-certificates.crt

python3 "$(dirname "$0")/../fixtures/program_server.py" "$host" "$address" "$work/root" "$work/ready" &
server=$!
for _ in $(seq 300); do
    [ -f "$work/ready" ] && break
    kill -0 "$server" 2>/dev/null && sleep 0.1 || { echo "the program server did not start"; exit 1; }
done
export CORV_PROGRAM_SERVER_ROOT="Z:${work//\//\\}\\root\\" # Wine's drive Z: is the root
"$@"
