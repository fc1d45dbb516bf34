#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times `ravelmark-tool publish` by SFTP to an sshd started here on 127.0.0.1 (its own host key
# and an authorized key in a temporary folder; run as root), the whole command from start to
# checked publication, and prints the best of RUNS in seconds.
#
#   bench/publish_sftp.sh TOOL FILE [RUNS]
set -euo pipefail
tool=$1 file=$2 runs=${3:-5}
[ "$(id -u)" = 0 ] || { echo "publish_sftp: sshd needs root" >&2; exit 2; }
work=$(mktemp -d)
trap 'kill $sshd 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$work/home/.ssh" "$work/site" /run/sshd
ssh-keygen -q -t ed25519 -N '' -f "$work/host_key"
ssh-keygen -q -t ed25519 -N '' -f "$work/home/.ssh/id_ed25519"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
echo "[127.0.0.1]:$port $(cut -d' ' -f1,2 "$work/host_key.pub")" >"$work/home/.ssh/known_hosts"
/usr/sbin/sshd -D -f /dev/null -o "Port=$port" -o ListenAddress=127.0.0.1 -o "HostKey=$work/host_key" \
    -o PidFile=none -o "AuthorizedKeysFile=$work/home/.ssh/id_ed25519.pub" -o StrictModes=no -o UsePAM=no \
    -o PermitRootLogin=prohibit-password -o "Subsystem=sftp internal-sftp" &
sshd=$!
for _ in $(seq 100); do python3 -c "import socket; socket.create_connection(('127.0.0.1', $port), 0.1)" 2>/dev/null && break; sleep 0.05; done
best=
for ((i = 0; i < runs; i++)); do
    start=$EPOCHREALTIME
    HOME=$work/home SSH_AUTH_SOCK='' "$tool" publish "$file" --to "sftp://root@127.0.0.1:$port$work/site/" >/dev/null
    t=$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.3f", b - a }')
    if [ -z "$best" ] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
done
echo "$best"
