#!/usr/bin/env bash
# FTP throughput of TFtpClient beside curl, in the same run, on 127.0.0.1:
# 100 MiB binary uploads and downloads, passive and active, to pyftpdlib,
# to vsftpd (when run as root), and to pyftpdlib throttled to 10 MiB/s.
#
#   bench/compare_ftp.sh [build-dir]      (default: build)
#
# Every server is started here on a free port and stopped by its process id.
set -euo pipefail
build=${1:-build}
bench="$build/bench/bench_ftp"
[ -x "$bench" ] || { echo "build $bench first (cmake --build $build --target bench_ftp)" >&2; exit 1; }
command -v curl >/dev/null || { echo "curl is missing (Debian package curl)" >&2; exit 1; }

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

free_port() {
    /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'
}
wait_port() {
    for _ in $(seq 100); do
        /usr/bin/python3 -c "import socket,sys; socket.create_connection(('127.0.0.1',$1),1)" 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}

head -c $((100 * 1024 * 1024)) /dev/urandom > "$work/100M"
mkdir -p "$work/py/pub" "$work/vs/root/pub" "$work/vs/empty"
chmod 755 "$work" "$work/vs" "$work/vs/root"; chmod 777 "$work/vs/root/pub"

# pyftpdlib, plain and throttled; bandwidth 0 means unlimited.
start_pyftpdlib() {  # port bandwidth
    /usr/bin/python3 - "$1" "$2" "$work/py" <<'PY' >/dev/null 2>&1 &
import sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer
port, rate, root = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
auth = DummyAuthorizer()
auth.add_user("vesk", "s3cret", root, perm="elradfmwMT")
handler = FTPHandler
handler.authorizer = auth
if rate:
    dtp = ThrottledDTPHandler
    dtp.read_limit = dtp.write_limit = rate
    handler.dtp_handler = dtp
FTPServer(("127.0.0.1", port), handler).serve_forever()
PY
    pids+=($!)
}

# The best of three runs of each, so that a busy machine shows what each
# client can do rather than when it was interrupted.
best_ours() {  # json down passive
    /usr/bin/python3 - "$1" "$2" "$3" <<'PY'
import json, sys
runs = [b.get("bytes_per_second", 0) for b in json.load(open(sys.argv[1]))["benchmarks"]
        if b.get("run_type") == "iteration" and b["name"].startswith("FtpTransfer/down:%s/passive:%s" % (sys.argv[2], sys.argv[3]))]
print("%.1f" % (max(runs + [0]) / 1048576))
PY
}

# Runs both clients against one server and prints a table: TFtpClient with
# 1514-byte blocks, with its default blocks, and curl.
compare() {  # label port user pass dir
    local label=$1 port=$2 user=$3 pass=$4 dir=$5
    local json="$work/${label//\//-}.json" small="$work/${label//\//-}-1514.json"
    local env=(VESK_FTP_PORT=$port VESK_FTP_USER=$user VESK_FTP_PASS=$pass VESK_FTP_DIR=$dir
               VESK_FTP_FILE="$work/100M" QT_QPA_PLATFORM=offscreen)
    env "${env[@]}" "$bench" --benchmark_format=json > "$json" 2>/dev/null
    env "${env[@]}" VESK_FTP_BLOCK=1514 "$bench" --benchmark_format=json > "$small" 2>/dev/null
    curl -s -T "$work/100M" -u "$user:$pass" "ftp://127.0.0.1:$port/$dir/curl.dat" >/dev/null  # something to download
    for mode in passive active; do
        local flags=(--ftp-pasv) p=1
        [ $mode = active ] && flags=(-P 127.0.0.1) && p=0
        for dirn in up down; do
            local d=0 theirs=0 times rate
            [ $dirn = down ] && d=1
            # From the start of the transfer to its end (the final reply), as
            # bench_ftp measures Get and Put after logging in.
            for _ in 1 2 3; do
                if [ $dirn = up ]; then
                    times=$(curl -s "${flags[@]}" -T "$work/100M" -w '%{time_pretransfer} %{time_total}' \
                        -o /dev/null -u "$user:$pass" "ftp://127.0.0.1:$port/$dir/curl.dat")
                else
                    times=$(curl -s "${flags[@]}" -w '%{time_pretransfer} %{time_total}' -o "$work/curl.down" \
                        -u "$user:$pass" "ftp://127.0.0.1:$port/$dir/curl.dat")
                fi
                rate=$(/usr/bin/python3 -c "a, b = map(float, '$times'.split()); print('%.1f' % (100 / (b - a)))")
                theirs=$(/usr/bin/python3 -c "print(max($theirs, $rate))")
            done
            local ours old
            ours=$(best_ours "$json" $d $p)
            old=$(best_ours "$small" $d $p)
            printf '%-18s %-7s %-4s  TFtpClient %7s MiB/s (1514-byte blocks %7s)   curl %7s MiB/s   ratio %s\n' \
                "$label" $mode $dirn "$ours" "$old" "$theirs" \
                "$(/usr/bin/python3 -c "print('%.2f' % ($ours / $theirs if $theirs else 0))")"
        done
    done
}

port=$(free_port); start_pyftpdlib "$port" 0; wait_port "$port"
compare pyftpdlib "$port" vesk s3cret pub

port=$(free_port); start_pyftpdlib "$port" $((10 * 1024 * 1024)); wait_port "$port"
compare "pyftpdlib-10MiB/s" "$port" vesk s3cret pub

if [ "$(id -u)" -eq 0 ] && [ -x /usr/sbin/vsftpd ]; then
    port=$(free_port)
    cat > "$work/vs/vsftpd.conf" <<CONF
listen=YES
listen_ipv6=NO
listen_address=127.0.0.1
listen_port=$port
background=NO
anonymous_enable=YES
local_enable=NO
write_enable=YES
anon_upload_enable=YES
anon_mkdir_write_enable=YES
anon_other_write_enable=YES
anon_world_readable_only=NO
no_anon_password=NO
ftp_username=ftp
anon_root=$work/vs/root
allow_writeable_chroot=YES
seccomp_sandbox=NO
secure_chroot_dir=$work/vs/empty
pasv_min_port=47000
pasv_max_port=47999
connect_from_port_20=NO
xferlog_enable=NO
CONF
    /usr/sbin/vsftpd "$work/vs/vsftpd.conf" >/dev/null 2>&1 &
    pids+=($!)
    wait_port "$port"
    compare vsftpd "$port" anonymous vesk@example.org pub
fi
