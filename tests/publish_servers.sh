#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# `ravelmark-tool publish` against real servers started here on 127.0.0.1 with their own keys,
# certificates and folders in a temporary folder: sshd (sftp), vsftpd (ftp, ftps) or Apache's
# mod_dav (dav, davs). Usage: publish_servers.sh TOOL EXAMPLES WAY. Needs root (the servers
# change user; the full disk is a small tmpfs); 77 (skip) without it or without the server.
set -u
tool=$1 examples=$2 way=$3
[ "$(id -u)" = 0 ] || { echo "SKIP: needs root"; exit 77; }
declare -A program=([sftp]=/usr/sbin/sshd [ftp]=/usr/sbin/vsftpd [dav]=/usr/sbin/apache2)
[ -x "${program[$way]}" ] || { echo "SKIP: ${program[$way]} is not installed"; exit 77; }

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    [ -f "$work/run/httpd.pid" ] && kill "$(cat "$work/run/httpd.pid")" 2>/dev/null
    mountpoint -q "$work/root/full" && umount "$work/root/full"
    rm -rf "$work"
}
trap cleanup EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
wait_port() {
    for _ in $(seq 100); do
        python3 -c "import socket,sys; socket.create_connection(('127.0.0.1', $1), 0.1)" 2>/dev/null && return 0
        sleep 0.05
    done
    echo "server on port $1 did not start"; exit 1
}

cd "$work" || exit 1
chmod 755 "$work"
mkdir -p home/.ssh nokeys/.ssh root/site root/locked root/full run local
export HOME=$work/home XDG_CONFIG_HOME=$work/config
unset SSH_AUTH_SOCK RAVELMARK_PASSWORD
cp "$examples/varserien-2024.txt" tournament.txt
password=hemligt-$RANDOM$RANDOM
openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 -subj /CN=127.0.0.1 \
    -addext subjectAltName=IP:127.0.0.1 2>/dev/null
port=$(free_port)
case $way in
sftp)
    owner=root
    ssh-keygen -q -t ed25519 -N '' -f host_key
    ssh-keygen -q -t ed25519 -N '' -f other_key
    ssh-keygen -q -t ed25519 -N '' -f home/.ssh/id_ed25519
    cp home/.ssh/id_ed25519.pub authorized_keys
    mkdir -p /run/sshd
    cat >sshd_config <<END
Port $port
ListenAddress 127.0.0.1
HostKey $work/host_key
PidFile none
AuthorizedKeysFile $work/authorized_keys
StrictModes no
UsePAM no
PermitRootLogin prohibit-password
PasswordAuthentication no
KbdInteractiveAuthentication no
Subsystem sftp internal-sftp -d $work/root
END
    # A second server on the same key runs OpenSSH's sftp-server as a host may run it faultily.
    fault_port=$(free_port)
    # sshd starts a subsystem other than internal-sftp through the user's login shell; SHLVL keeps
    # bash from reading root's ~/.bashrc there, whose set-up may stall each login for a minute.
    sed -e "s/^Port .*/Port $fault_port/" -e "s|^Subsystem .*|Subsystem sftp $work/sftp_subsystem|" sshd_config >faulty_config
    echo "SetEnv SHLVL=1" >>faulty_config
    # The way in sftp.mode at each login:
    # "refuse" renames, store each file a byte "short", write "lineends" as LF, or pass a
    # "filter" that changes bytes, not the size, or fall "silent" at the first read.
    echo plain >sftp.mode
    cat >sftp_subsystem <<END
#!/bin/sh
case \$(cat $work/sftp.mode) in
plain) exec /usr/lib/openssh/sftp-server ;;
refuse) exec /usr/lib/openssh/sftp-server -P posix-rename,rename ;;
*) exec /usr/bin/python3 $work/sftp_filter.py $work ;;
esac
END
    chmod +x sftp_subsystem
    cat >sftp_filter.py <<'END'
import os, subprocess, sys
mode = open(os.path.join(sys.argv[1], "sftp.mode")).read().split()[0]
if mode == "silent":
    open(os.path.join(sys.argv[1], "silent.started"), "w").close()
child, read = subprocess.Popen(["/usr/lib/openssh/sftp-server"], stdin=subprocess.PIPE), sys.stdin.buffer.read
while len(head := read(4)) == 4:
    body = read(int.from_bytes(head, "big"))
    if mode == "silent" and body[:1] == b"\x05":  # SSH_FXP_READ: never answered
        while read(65536): pass
        break
    if body[:1] == b"\x06":  # SSH_FXP_WRITE: id, handle, offset, data
        at = 9 + int.from_bytes(body[5:9], "big") + 8
        data = body[at + 4:]
        data = {"short": data[:-1], "lineends": data.replace(b"\r\n", b"\n"),
                "filter": data.replace(b"<td>", b"<TD>")}.get(mode, data)
        body = body[:at] + len(data).to_bytes(4, "big") + data
    child.stdin.write(len(body).to_bytes(4, "big") + body)
    child.stdin.flush()
child.stdin.close()
child.wait()
END
    /usr/sbin/sshd -D -e -f "$work/sshd_config" 2>sshd.log &
    pids+=($!)
    /usr/sbin/sshd -D -e -f "$work/faulty_config" 2>faulty.log &
    pids+=($!)
    url=sftp://root@127.0.0.1:$port$work/root
    ;;
ftp)
    owner=ftp
    cat >vsftpd.conf <<END
listen=YES
listen_address=127.0.0.1
listen_port=$port
background=NO
anonymous_enable=YES
local_enable=NO
write_enable=YES
anon_upload_enable=YES
anon_mkdir_write_enable=YES
anon_other_write_enable=YES
anon_umask=022
anon_root=$work/root
no_anon_password=YES
pasv_address=127.0.0.1
seccomp_sandbox=NO
ssl_enable=YES
allow_anon_ssl=YES
force_anon_logins_ssl=NO
force_anon_data_ssl=NO
rsa_cert_file=$work/cert.pem
rsa_private_key_file=$work/key.pem
END
    /usr/sbin/vsftpd "$work/vsftpd.conf" &
    pids+=($!)
    url=ftp://anonymous@127.0.0.1:$port
    secure=ftps://anonymous@127.0.0.1:$port
    ;;
dav)
    owner=www-data
    secure_port=$(free_port)
    printf 'klubben:%s\n' "$(openssl passwd -apr1 -stdin <<<"$password")" >users
    modules=/usr/lib/apache2/modules
    {
        echo "ServerRoot $work"
        echo "ServerName 127.0.0.1"
        echo "Listen 127.0.0.1:$port"
        echo "Listen 127.0.0.1:$secure_port"
        echo "PidFile $work/run/httpd.pid"
        echo "Mutex file:$work/run"
        echo "ErrorLog $work/error.log"
        echo "User www-data"
        echo "Group www-data"
        for module in mpm_event authz_core authn_core authn_file authz_user auth_basic dav dav_fs ssl; do
            echo "LoadModule ${module}_module $modules/mod_$module.so"
        done
        cat <<END
DavLockDB $work/run/davlock
DocumentRoot $work/root
<VirtualHost 127.0.0.1:$secure_port>
SSLEngine on
SSLCertificateFile $work/cert.pem
SSLCertificateKeyFile $work/key.pem
</VirtualHost>
<Directory $work/root>
  Dav On
  AuthType Basic
  AuthName dav
  AuthUserFile $work/users
  <LimitExcept GET HEAD OPTIONS>
    Require valid-user
  </LimitExcept>
</Directory>
END
    } >httpd.conf
    chown www-data run
    /usr/sbin/apache2 -f "$work/httpd.conf" -k start
    url=dav://klubben@127.0.0.1:$port
    secure=davs://klubben@127.0.0.1:$secure_port
    export RAVELMARK_PASSWORD=$password
    ;;
esac
chown "$owner" root/site
wait_port "$port"

# Bounded: a --watch that goes on where it should end fails the check instead of hanging.
publish() { timeout 60 "$tool" publish tournament.txt "$@" >out.txt 2>err.txt; }
# With --watch, a refusal only the user can mend ends it at once, saying what to do: tried
# again at each change, a host that locks accounts after failed logins would lock the club out.
told() { grep -q "^ravelmark-tool: publicerar inte automatiskt förrän det är åtgärdat: $1" err.txt; }
# The expected files: the same publication into a local folder (same file, same time of update).
expect() { "$tool" publish tournament.txt --to local >/dev/null || fail "publishing to a folder"; }
same() {
    for name in tournament.htm table.css; do
        cmp -s "local/$name" "root/site/$name" || fail "$1: $name on the server differs from the page"
    done
    [ -z "$(find root -name '.*.tmp')" ] || fail "$1: temporary files left: $(find root -name '.*.tmp')"
}

# --- an unknown and a changed host key (SFTP): refused with the fingerprint, nothing sent ---
if [ "$way" = sftp ]; then
    fingerprint=$(ssh-keygen -l -E sha256 -f host_key.pub | cut -d' ' -f2)
    publish --watch --to "$url/site/"
    [ $? = 1 ] && grep -q "är okänd. Dess nyckel är $fingerprint" err.txt && grep -q "^\[127.0.0.1\]:$port ssh-ed25519 " err.txt &&
        told "lägg till raden ovan i ~/.ssh/known_hosts" ||
        fail "unknown host: $(cat err.txt)"
    [ -z "$(ls -A root/site)" ] || fail "unknown host: something was sent"
    echo "[127.0.0.1]:$port $(cut -d' ' -f1,2 other_key.pub)" >home/.ssh/known_hosts
    publish --to "$url/site/"
    [ $? = 1 ] && grep -q "har en annan nyckel ($fingerprint)" err.txt || fail "changed host key: $(cat err.txt)"
    [ -z "$(ls -A root/site)" ] || fail "changed host key: something was sent"
    echo "[127.0.0.1]:$port $(cut -d' ' -f1,2 host_key.pub)" >home/.ssh/known_hosts
    echo "[127.0.0.1]:$fault_port $(cut -d' ' -f1,2 host_key.pub)" >>home/.ssh/known_hosts
    # A server that falls silent at the first read-back: the publication gives up after the
    # stall time instead of waiting for ever. It runs beside the rest, with its own file,
    # folders and settings.
    mkdir silent && cp -r home silent/home && cp tournament.txt silent/t.txt && echo silent >sftp.mode
    HOME=$work/silent/home XDG_CONFIG_HOME=$work/silent/config XDG_STATE_HOME=$work/silent/state timeout 150 \
        "$tool" publish silent/t.txt --to "sftp://root@127.0.0.1:$fault_port$work/silent/" >silent/out 2>silent/err &
    silent=$!
    pids+=("$silent")
    for _ in $(seq 600); do [ -e silent.started ] && break; sleep 0.1; done
    echo plain >sftp.mode
    # A server that takes the connection and never says a word: after the connect time, a
    # server that does not answer (not one that refuses). Beside the rest, as the silent one.
    mkdir mute && cp -r home mute/home && cp tournament.txt mute/t.txt
    python3 -c 'import socket, sys, time
s = socket.socket()
s.bind(("127.0.0.1", 0))
s.listen()
open(sys.argv[1], "w").write(str(s.getsockname()[1]))
c = s.accept()
time.sleep(150)' mute/port &
    pids+=($!)
    for _ in $(seq 100); do [ -s mute/port ] && break; sleep 0.1; done
    HOME=$work/mute/home XDG_CONFIG_HOME=$work/mute/config XDG_STATE_HOME=$work/mute/state timeout 150 \
        "$tool" publish mute/t.txt --to "sftp://root@127.0.0.1:$(cat mute/port)$work/mute/" >mute/out 2>mute/err &
    mute=$!
    pids+=("$mute")
fi

# --- a certificate no authority vouches for: refused with its fingerprint, then trusted ---
if [ -n "${secure:-}" ]; then
    fingerprint=$(openssl x509 -in cert.pem -noout -fingerprint -sha256 | cut -d= -f2)
    publish --watch --to "$secure/site/"
    [ $? = 1 ] && grep -q "ett certifikat som inte kan kontrolleras (SHA-256 $fingerprint); inget skickades" err.txt &&
        told "lita på certifikatet" ||
        fail "untrusted certificate: $(cat err.txt)"
    [ -z "$(ls -A root/site)" ] || fail "untrusted certificate: something was sent"
    # As the window keeps a certificate the user trusted: with the target, in the user's settings.
    group=$(python3 -c 'import sys, urllib.parse as u; print(u.quote(u.quote(sys.argv[1], safe=""), safe=""))' \
        "$work/tournament.txt")
    mkdir -p config/ravelmark
    printf '[%s]\nurl=%s/site/\ncertificate=%s\n' "$group" "$secure" "$fingerprint" >config/ravelmark/publicera.conf
    publish || fail "trusted certificate: $(cat err.txt)"
    expect
    same "trusted certificate"
    # Trusted is that certificate alone: with another one's fingerprint kept, this one is refused.
    openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout other.key -out other.pem \
        -days 2 -subj /CN=127.0.0.1 2>/dev/null
    other=$(openssl x509 -in other.pem -noout -fingerprint -sha256 | cut -d= -f2)
    sed -i "s/^certificate=.*/certificate=$other/" config/ravelmark/publicera.conf
    touch -d '2026-05-04 20:00' tournament.txt
    publish
    [ $? = 1 ] && grep -q "(SHA-256 $fingerprint); inget skickades" err.txt || fail "another certificate: $(cat err.txt)"
    same "another certificate"
    sed -i "s/^certificate=.*/certificate=$fingerprint/" config/ravelmark/publicera.conf
fi

# --- ftps:// never goes on without TLS: a server that does not offer it is refused with the
# reason, and no login reaches it in the clear ---
if [ "$way" = ftp ]; then
    plain_port=$(free_port)
    sed -e "s/^listen_port=.*/listen_port=$plain_port/" -e 's/^ssl_enable=.*/ssl_enable=NO/' vsftpd.conf >plain.conf
    printf 'xferlog_enable=YES\nxferlog_std_format=NO\nlog_ftp_protocol=YES\nvsftpd_log_file=%s\n' "$work/plain.log" >>plain.conf
    /usr/sbin/vsftpd "$work/plain.conf" &
    pids+=($!)
    wait_port "$plain_port"
    RAVELMARK_PASSWORD=$password publish --to "ftps://klubben@127.0.0.1:$plain_port/site/"
    [ $? = 1 ] && grep -q "erbjuder inte kryptering" err.txt || fail "ftps without TLS: $(cat err.txt)"
    grep -q "AUTH" plain.log || fail "ftps without TLS: the server logged nothing"
    grep -q "command: .*\"\(USER\|PASS\)\|$password" plain.log && fail "ftps without TLS: the login went in the clear: $(cat plain.log)"
fi

# --- a first publication and a second over it: the bytes on the server, the time of update ---
web=()
# The page read back where members read it, and its time of update compared.
[ "$way" = dav ] && web=(--web "http://127.0.0.1:$port/site/")
publish --to "$url/site/" "${web[@]}" || fail "first publication: $(cat err.txt)"
grep -q "^Obs:" out.txt && fail "the public address: $(cat out.txt)"
expect
same "first publication"
# Standings changed: the time of that change. A save that changes nothing keeps it.
cp tournament.txt first.txt && printf 'Extra Spelare 1\r\n' >>tournament.txt && cp tournament.txt second.txt
touch -d '2026-05-04 21:07' tournament.txt
publish --to "$url/site/" || fail "second publication: $(cat err.txt)"
grep -q "(Uppdaterad 2026-05-04 21:07)" out.txt || fail "second publication: $(cat out.txt)"
touch -d '2026-05-04 21:30' tournament.txt
publish --to "$url/site/" && grep -q "(Uppdaterad 2026-05-04 21:07)" out.txt ||
    fail "the time moved with the standings unchanged: $(cat out.txt err.txt)"
expect
same "second publication"
grep -q '^<p class="updated">Uppdaterad 2026-05-04 21:07</p>' root/site/tournament.htm ||
    fail "no Uppdaterad line on the page"
# A host key changed during the evening ends --watch at the next change.
if [ "$way" = sftp ]; then
    cp home/.ssh/known_hosts known_hosts.good
    publish --watch --to "$url/site/" &
    watcher=$!
    for _ in $(seq 300); do grep -q "^Publicerar när" out.txt && break; sleep 0.1; done
    echo "[127.0.0.1]:$port $(cut -d' ' -f1,2 other_key.pub)" >home/.ssh/known_hosts
    touch -d '2026-05-04 21:31' tournament.txt
    wait $watcher
    [ $? = 1 ] && grep -q "har en annan nyckel" err.txt && told "rätta ~/.ssh/known_hosts" ||
        fail "changed host key, --watch: $(cat err.txt)"
    mv known_hosts.good home/.ssh/known_hosts
fi

# --- SFTP: a folder from the login folder (here root/), as "~/" and as the window keeps one typed
# without a leading '/'; read back so by the next run ---
if [ "$way" = sftp ]; then
    rm root/site/*
    publish --to "sftp://root@127.0.0.1:$port/~/site/" && grep -q "127.0.0.1:$port/~/site/" out.txt ||
        fail "~/: $(cat err.txt out.txt)"
    same "~/"
    group=$(python3 -c 'import sys, urllib.parse as u; print(u.quote(u.quote(sys.argv[1], safe=""), safe=""))' \
        "$work/tournament.txt")
    mkdir -p config/ravelmark
    printf '[%s]\nurl=sftp://root@127.0.0.1:%s/site/\nfolder=site\n' "$group" "$port" >config/ravelmark/publicera.conf
    rm root/site/*
    publish || fail "a folder kept as typed: $(cat err.txt)"
    same "a folder kept as typed"
    rm config/ravelmark/publicera.conf
fi

# --- a member reading the page in a loop during publications sees only whole pages ---
for stamp in '2026-05-04 21:07' '2026-05-04 21:08'; do
    cp "$([ "${stamp: -2}" = 07 ] && echo second || echo first).txt" tournament.txt
    touch -d "$stamp" tournament.txt && expect && cp local/tournament.htm "local/${stamp: -2}.htm"
done
python3 - root/site/tournament.htm local/07.htm local/08.htm >reader.txt <<'END' &
import os, sys, time
path, pages = sys.argv[1], [open(name, 'rb').read() for name in sys.argv[2:]]
reads, deadline = 0, time.time() + 600
while time.time() < deadline:
    try:
        page = open(path, 'rb').read()
    except FileNotFoundError:
        print('no page'); break
    reads += 1
    if page not in pages:
        print('a page that is not whole:', len(page), 'bytes'); break
    if os.path.exists('reader.stop'):
        print('whole', reads); break
END
reader=$!
for i in $(seq 8); do
    cp "$([ $((i % 2)) = 0 ] && echo second || echo first).txt" tournament.txt
    touch -d "2026-05-04 21:0$((7 + i % 2))" tournament.txt
    publish --to "$url/site/" || { fail "publication $i: $(cat err.txt)"; break; }
done
echo stop >reader.stop
wait $reader
grep -q '^whole [0-9]' reader.txt || fail "the reader: $(cat reader.txt)"
expect

# --- refusals: the old page stays whole, the error names the cause ---
check_refused() { # what expected-message publish-arguments...
    local what=$1 message=$2
    shift 2
    publish "$@"
    [ $? = 1 ] && grep -q "$message" err.txt || fail "$what: $(cat err.txt)"
    same "$what"
}
case $way in
sftp)
    cp home/.ssh/known_hosts nokeys/.ssh/
    HOME=$work/nokeys check_refused "login refused" "inloggningen nekades" --watch --to "$url/site/" ;;
ftp) check_refused "login refused" "inloggningen nekades" --watch --to "ftp://någon@127.0.0.1:$port/site/" ;;
dav) RAVELMARK_PASSWORD=fel check_refused "login refused" "inloggningen nekades" --watch --to "$url/site/" ;;
esac
told "rätta användaren, lösenordet" || fail "login refused, --watch: $(cat err.txt)"
check_refused "missing folder" "mappen .*saknas\|finns inte" --to "$url/saknas/"
if [ "$way" = sftp ]; then
    # Checked byte for byte before and after the rename: the page now differs from the one
    # there only in its time of update, not in size.
    touch -d '2026-05-04 21:09' tournament.txt
    for mode in refuse short lineends filter; do
        echo $mode >sftp.mode
        [ $mode = refuse ] && message="byta ut\|låter inte användaren" || message="kom inte fram oförändrad"
        check_refused "a server that does \"$mode\"" "$message" --to "sftp://root@127.0.0.1:$fault_port$work/root/site/"
    done
    echo plain >sftp.mode
fi
# Nothing listening: said in Swedish by its kind, the library's words only in parentheses.
check_refused "connection refused" "^ravelmark-tool: [0-9:]* kunde inte publicera: servern 127.0.0.1 tar inte emot \
anslutningen – stämmer porten? ([A-Z]" --to "${url/:$port/:$(free_port)}/site/"
if [ "$way" != sftp ]; then # root on the server may write anywhere
    # Apache says no more than that it failed.
    check_refused "folder not writable" "låter inte användaren skriva\|servern svarade 500" --to "$url/locked/"
fi
mount -t tmpfs -o size=8k,mode=755 tmpfs root/full && chown "$owner" root/full
echo '<html>gammal</html>' >root/full/tournament.htm
check_refused "disk full" "disk" --to "$url/full/"
[ "$(cat root/full/tournament.htm)" = '<html>gammal</html>' ] || fail "disk full: the old page changed"
[ "$way" = ftp ] || [ -z "$(find root/full -name '.*.tmp')" ] || fail "disk full: a temporary file stayed"
# The connection cut mid-page: a proxy that closes both ways after LIMIT bytes from the client.
cut_after() { # LIMIT: the proxy's port on stdout; the bytes it passed in proxy.count when it closes
    python3 - "$1" "$port" <<'END'
import socket, sys, threading
limit, target = int(sys.argv[1]), int(sys.argv[2])
server = socket.socket(); server.bind(('127.0.0.1', 0)); server.listen(1)
print(server.getsockname()[1], flush=True)
server.settimeout(20)
client, _ = server.accept()
upstream = socket.create_connection(('127.0.0.1', target))
passed = 0
def back():
    try:
        while data := upstream.recv(65536): client.sendall(data)
    except OSError: pass
threading.Thread(target=back, daemon=True).start()
try:
    while passed < limit and (data := client.recv(min(65536, limit - passed))):
        upstream.sendall(data); passed += len(data)
except OSError: pass
open('proxy.count', 'w').write(str(passed))
for s in (client, upstream): s.shutdown(socket.SHUT_RDWR); s.close()
END
}
if [ "$way" = sftp ]; then
    cp root/site/tournament.htm before.htm
    touch -d '2026-05-04 22:00' tournament.txt
    coproc proxy { cut_after 100000000; }
    proxy_pid=$proxy_PID # unset once it ends
    read -r proxy_port <&"${proxy[0]}"
    echo "[127.0.0.1]:$proxy_port $(cut -d' ' -f1,2 host_key.pub)" >>home/.ssh/known_hosts
    publish --to "sftp://root@127.0.0.1:$proxy_port$work/root/site/" || fail "through the proxy: $(cat err.txt)"
    wait "$proxy_pid"
    whole=$(cat proxy.count)
    cp before.htm root/site/tournament.htm
    # The page is the last thing sent, some 8 kB; what follows it is a few small requests.
    coproc proxy { cut_after $((whole - 3000)); }
    proxy_pid=$proxy_PID
    read -r proxy_port <&"${proxy[0]}"
    echo "[127.0.0.1]:$proxy_port $(cut -d' ' -f1,2 host_key.pub)" >>home/.ssh/known_hosts
    publish --to "sftp://root@127.0.0.1:$proxy_port$work/root/site/"
    [ $? = 1 ] && grep -q "förbindelsen bröts" err.txt || fail "connection cut: $(cat err.txt)"
    cmp -s before.htm root/site/tournament.htm || fail "connection cut: the old page changed"
    wait "$proxy_pid"
fi
# --- the club's archive beside the page, in arkiv/: all of it first, then only what changed, a
# page no longer made removed after the index; on the server the bytes of the site made locally ---
mkdir -p seasons
cp "$examples/klubbkamp.txt" seasons/2023.txt
cp "$examples/varserien-2024.txt" seasons/2024.txt
archive() { "$tool" archive seasons --publish --to "$url/site/" >out.txt 2>err.txt || fail "archive $1: $(cat err.txt)"; }
sent() { grep -q "($1 filer skickade, $2 oförändrade, $3 borttagna)" out.txt || fail "archive $4: $(cat out.txt)"; }
same_site() { diff -r -x .ravelmark-arkiv seasons/arkiv root/site/arkiv >/dev/null || fail "archive $1: the server's differs"; }
archive first
files=$(find seasons/arkiv -type f ! -name .ravelmark-arkiv | wc -l)
sent "$files" 0 0 first
same_site first
archive again
sent 0 "$files" 0 again
sed -i 's/^Cecilia /Cissi /' seasons/2023.txt
archive changed
grep -q "filer skickade, [1-9][0-9]* oförändrade, 1 borttagna)" out.txt || fail "archive changed: $(cat out.txt)"
same_site changed
[ ! -e root/site/arkiv/spelare/cecilia.html ] || fail "archive changed: a page no longer made stayed"
[ -z "$(find root/site/arkiv -name '.*.tmp')" ] || fail "archive: temporary files left"

if [ "$way" = sftp ]; then
    wait "$silent"
    [ $? = 1 ] && grep -q "slutade svara" silent/err || fail "a silent server: $(cat silent/err)"
    wait "$mute"
    [ $? = 1 ] && grep -q "servern 127.0.0.1 svarar inte" mute/err || fail "a mute server: $(cat mute/err)"
fi

grep -q "$password" err.txt out.txt *.log 2>/dev/null && fail "the password in a message"
[ -z "$(grep -rl "$password" config home local 2>/dev/null)" ] || fail "the password in a file"

exit $failed
