#!/usr/bin/env bash
# A throw-away PostgreSQL server for the journal's tests, on a free local
# port in a temporary folder: pg_server.sh start INFO_FILE | stop INFO_FILE.
# INFO_FILE gets "host port database user password", or "skip <reason>" when
# the server's programs are not installed. postgres refuses to run as root,
# so under root the cluster belongs to an unprivileged user.
set -euo pipefail
action=$1
info=$2
bin=${METER_PG_BIN:-/usr/lib/postgresql/15/bin}

# The server stopped and started again on its port, its data kept: a server
# lost and back (pg_server.sh down|up INFO_FILE).
if [[ $action == down || $action == up ]]; then
    dir=$(cat "$info.dir")
    read -r _ port _ <"$info"
    as_owner=()
    [[ $(id -u) == 0 ]] && as_owner=(runuser -u "$(stat -c %U "$dir")" --)
    if [[ $action == down ]]; then
        "${as_owner[@]}" "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null
    else
        "${as_owner[@]}" "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
            -o "-p $port -k $dir -c listen_addresses=127.0.0.1 -c fsync=off" start >/dev/null
    fi
    exit 0
fi

if [[ $action == stop ]]; then
    if [[ -f $info.dir ]]; then
        dir=$(cat "$info.dir")
        owner=$(stat -c %U "$dir")
        as_owner=()
        [[ $(id -u) == 0 ]] && as_owner=(runuser -u "$owner" --)
        "${as_owner[@]}" "$bin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
        rm -rf "$dir" "$info.dir"
    fi
    rm -f "$info"
    exit 0
fi

if [[ ! -x $bin/initdb || ! -x $bin/pg_ctl ]]; then
    echo "skip PostgreSQL server programs not found in $bin (Debian package postgresql)" >"$info"
    echo "PostgreSQL tests skipped: no $bin/initdb"
    exit 0
fi

dir=$(mktemp -d /tmp/meter_pg.XXXXXX)
echo "$dir" >"$info.dir"
as_owner=()
if [[ $(id -u) == 0 ]]; then
    owner=postgres
    id -u "$owner" >/dev/null 2>&1 || owner=nobody
    chown "$owner" "$dir"
    as_owner=(runuser -u "$owner" --)
fi
chmod 700 "$dir"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
password=journal-test
printf '%s\n' "$password" >"$dir/pw"
[[ $(id -u) == 0 ]] && chown "$owner" "$dir/pw"
"${as_owner[@]}" "$bin/initdb" -D "$dir/data" -U meter --pwfile="$dir/pw" --auth=scram-sha-256 \
    -E UTF8 --no-locale >"$dir/initdb.log" 2>&1
"${as_owner[@]}" "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
    -o "-p $port -k $dir -c listen_addresses=127.0.0.1 -c fsync=off" start >/dev/null
PGPASSWORD=$password "$bin/psql" -h 127.0.0.1 -p "$port" -U meter -d postgres -q \
    -c 'CREATE DATABASE readings' >/dev/null
echo "127.0.0.1 $port readings meter $password" >"$info"
echo "PostgreSQL for the tests on port $port"
