#!/usr/bin/env bash
# A throw-away PostgreSQL server for the journal's tests, on a free local
# port in a temporary folder: pg_server.sh start INFO_FILE | stop INFO_FILE.
# INFO_FILE gets "host port database user password", or "skip <reason>" when
# the server's programs are not installed. postgres refuses to run as root,
# so under root the cluster belongs to an unprivileged user.
#
# start-tls INFO_FILE: the same, speaking only TLS (hostssl), with a CA made
# for it; INFO_FILE gets a sixth field, the folder holding ca.crt, the
# server's certificate for localhost and 127.0.0.1 and one for another host.
# cert INFO_FILE server|other: the server shows that certificate from now on.
set -euo pipefail
action=$1
info=$2
bin=${METER_PG_BIN:-/usr/lib/postgresql/15/bin}

if [[ $action == cert ]]; then
    dir=$(cat "$info.dir")
    read -r _ port _ user password _ <"$info"
    PGPASSWORD=$password PGSSLMODE=require "$bin/psql" -h 127.0.0.1 -p "$port" -U "$user" -d postgres -q \
        -c "ALTER SYSTEM SET ssl_cert_file = '$dir/tls/$3.crt'" -c "ALTER SYSTEM SET ssl_key_file = '$dir/tls/$3.key'" \
        -c "SELECT pg_reload_conf()" >/dev/null
    # The server reloads on its own time: wait until it shows the certificate.
    want=$(openssl x509 -in "$dir/tls/$3.crt" -noout -fingerprint)
    for _ in $(seq 300); do
        shown=$(openssl s_client -starttls postgres -connect "127.0.0.1:$port" </dev/null 2>/dev/null |
            openssl x509 -noout -fingerprint 2>/dev/null || true)
        [[ $shown == "$want" ]] && exit 0
        sleep 0.1
    done
    echo "the server still shows another certificate than $3" >&2
    exit 1
fi

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
if [[ $action == start-tls ]]; then
    # A CA of the test's own, and server certificates signed by it.
    mkdir "$dir/tls"
    (
        cd "$dir/tls"
        openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=meter-test-ca -keyout ca.key -out ca.crt
        for name in server other; do
            host=localhost names=DNS:localhost,IP:127.0.0.1
            [[ $name == other ]] && host=journal.other.invalid names=DNS:journal.other.invalid
            openssl req -newkey rsa:2048 -nodes -subj "/CN=$host" -keyout $name.key -out $name.csr
            openssl x509 -req -in $name.csr -CA ca.crt -CAkey ca.key -CAcreateserial -days 2 \
                -extfile <(echo "subjectAltName=$names") -out $name.crt
        done
        chmod 600 ./*.key
    ) >"$dir/tls.log" 2>&1
    [[ $(id -u) == 0 ]] && chown -R "$owner" "$dir/tls"
    printf 'local all all scram-sha-256\nhostssl all all 127.0.0.1/32 scram-sha-256\n' >"$dir/data/pg_hba.conf"
    # In the file, not on the command line, so that "cert" can change them.
    printf "ssl = on\nssl_cert_file = '%s'\nssl_key_file = '%s'\n" "$dir/tls/server.crt" "$dir/tls/server.key" \
        >>"$dir/data/postgresql.conf"
fi
"${as_owner[@]}" "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
    -o "-p $port -k $dir -c listen_addresses=127.0.0.1 -c fsync=off" start >/dev/null
PGPASSWORD=$password PGSSLMODE=prefer "$bin/psql" -h 127.0.0.1 -p "$port" -U meter -d postgres -q \
    -c 'CREATE DATABASE readings' >/dev/null
if [[ $action == start-tls ]]; then
    echo "127.0.0.1 $port readings meter $password $dir/tls" >"$info"
else
    echo "127.0.0.1 $port readings meter $password" >"$info"
fi
echo "PostgreSQL for the tests on port $port"
