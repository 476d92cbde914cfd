# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the server tests and benchmarks: starts a PostgreSQL cluster of
# their own in a temporary folder and removes it when the script ends,
# however it ends.
#
# Not pg_virtualenv: run as root it makes its cluster under /etc/postgresql
# under one fixed name and rewrites the system's pg_service.conf, so two runs
# at once (the release and the sanitizer build, two developers) refuse each
# other. Here each run has its own folder and listens on a Unix socket in it
# only, with no TCP port to collide on. The server is a child of the script,
# so a test runner that kills the script's process tree on a timeout kills
# the server too.
#
# start_cluster exports PGHOST and PGUSER (the superuser "postgres") for psql.
# A server that does not start fails the script: nothing is skipped. A script
# may start several; all of them go when it ends.
#
# start_cluster --tls[=METHOD] also listens on 127.0.0.1, on a free port
# (cluster_port, exported as PGPORT), with TLS only, a certificate made for
# it for "localhost" and 127.0.0.1 (cluster_cert), and logins there checked
# by METHOD (pg_hba.conf: scram-sha-256 unless named, e.g. trust or
# password); the superuser still comes in over the socket.

cluster_fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cluster_stop() {
    local pid dir
    for pid in ${cluster_pid:-} ${cluster_pids[@]+"${cluster_pids[@]}"}; do
        if kill -0 "$pid" 2>/dev/null; then
            kill -QUIT "$pid" 2>/dev/null || true # immediate shutdown: nothing here is kept
            wait "$pid" 2>/dev/null || true
        fi
    done
    for dir in ${cluster_dir:-} ${cluster_dirs[@]+"${cluster_dirs[@]}"}; do
        rm -rf "$dir"
    done
    cluster_pid= cluster_dir= cluster_pids=() cluster_dirs=()
}

start_cluster() {
    local bin postgres tls=
    case ${1:-} in
    --tls) tls=scram-sha-256 && shift ;;
    --tls=*) tls=${1#--tls=} && shift ;;
    esac
    # A cluster started before stays until the script ends.
    [ -z "${cluster_pid:-}" ] || cluster_pids+=("$cluster_pid") cluster_dirs+=("$cluster_dir")
    postgres=$(ls -v /usr/lib/postgresql/*/bin/postgres 2>/dev/null | tail -n 1)
    [ -n "$postgres" ] || postgres=$(command -v postgres) ||
        cluster_fail "no PostgreSQL server installed (Debian: postgresql)"
    bin=$(dirname "$postgres")

    # The server refuses to run as root: as root it runs as postgres (or
    # nobody), which then owns the folder.
    local as=()
    cluster_dir=$(mktemp -d /tmp/varolin-pg.XXXXXX)
    trap cluster_stop EXIT
    trap 'exit 1' HUP INT TERM
    if [ "$(id -u)" -eq 0 ]; then
        local user=postgres
        id "$user" >/dev/null 2>&1 || user=nobody
        chown "$user:" "$cluster_dir"
        as=(setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups)
    fi

    (cd / && "${as[@]}" "$bin/initdb" -D "$cluster_dir/data" -U postgres -A trust -E UTF8 \
        --locale=C.UTF-8 --no-sync >"$cluster_dir/initdb.log" 2>&1) ||
        { cat "$cluster_dir/initdb.log" >&2; cluster_fail "initdb failed"; }
    local network=(-c listen_addresses=)
    if [ -n "$tls" ]; then
        openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=localhost \
            -addext subjectAltName=DNS:localhost,IP:127.0.0.1 \
            -keyout "$cluster_dir/server.key" -out "$cluster_dir/server.crt" 2>"$cluster_dir/openssl.log" ||
            { cat "$cluster_dir/openssl.log" >&2; cluster_fail "no certificate for the server"; }
        [ ${#as[@]} -eq 0 ] || chown "$user:" "$cluster_dir/server.key"
        chmod 600 "$cluster_dir/server.key"
        printf 'local all all trust\nhostssl all all 127.0.0.1/32 %s\n' "$tls" >"$cluster_dir/data/pg_hba.conf"
        cluster_cert=$cluster_dir/server.crt
        network=(-c listen_addresses=127.0.0.1 -c ssl=on -c "ssl_cert_file=$cluster_cert"
            -c "ssl_key_file=$cluster_dir/server.key")
    fi

    export PGHOST=$cluster_dir PGUSER=postgres PGDATABASE=postgres
    unset PGPORT PGSERVICE PGHOSTADDR PGPASSWORD PGSSLMODE PGOPTIONS
    local tries attempt
    # A port another test took meanwhile: another port.
    for ((attempt = 0; attempt < 5; attempt++)); do
        cluster_port=5432
        [ -z "$tls" ] || cluster_port=$((20000 + RANDOM % 30000))
        (cd / && exec "${as[@]}" "$bin/postgres" -D "$cluster_dir/data" -k "$cluster_dir" \
            -c fsync=off -c synchronous_commit=off -c full_page_writes=off -p "$cluster_port" \
            "${network[@]}" "$@" >"$cluster_dir/server.log" 2>&1) &
        cluster_pid=$!
        for ((tries = 0; tries < 300; tries++)); do
            if "$bin/pg_isready" -q -p "$cluster_port"; then
                [ -z "$tls" ] || export PGPORT=$cluster_port
                return 0
            fi
            kill -0 "$cluster_pid" 2>/dev/null || break
            sleep 0.1
        done
        [ -n "$tls" ] && ! kill -0 "$cluster_pid" 2>/dev/null || break
    done
    cat "$cluster_dir/server.log" >&2
    cluster_fail "the PostgreSQL server did not start"
}

# start_class_server SCRIPT [server options]: a cluster as above holding the
# database "varolin" with the class server's layout from SCRIPT loaded.
start_class_server() {
    local script=$1
    shift
    start_cluster "$@"
    createdb -T template0 -E UTF8 varolin
    psql -X -q -v ON_ERROR_STOP=1 -d varolin -f "$script" >/dev/null
}
