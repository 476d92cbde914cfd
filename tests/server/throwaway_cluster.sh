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
# start_cluster exports PGHOST and PGUSER (the superuser "postgres") for psql,
# and PGPORT when the caller set cluster_port (and gave the server -p with it).
# A server that does not start fails the script: nothing is skipped.

cluster_fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cluster_stop() {
    if [ -n "${cluster_pid:-}" ] && kill -0 "$cluster_pid" 2>/dev/null; then
        kill -QUIT "$cluster_pid" 2>/dev/null || true # immediate shutdown: nothing here is kept
        wait "$cluster_pid" 2>/dev/null || true
    fi
    cluster_pid=
    [ -z "${cluster_dir:-}" ] || rm -rf "$cluster_dir"
    cluster_dir=
}

start_cluster() {
    local bin postgres
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
    (cd / && exec "${as[@]}" "$bin/postgres" -D "$cluster_dir/data" -k "$cluster_dir" \
        -c listen_addresses= -c fsync=off -c synchronous_commit=off -c full_page_writes=off \
        "$@" >"$cluster_dir/server.log" 2>&1) &
    cluster_pid=$!

    export PGHOST=$cluster_dir PGUSER=postgres PGDATABASE=postgres
    unset PGPORT PGSERVICE PGHOSTADDR PGPASSWORD PGSSLMODE PGOPTIONS
    [ -z "${cluster_port:-}" ] || export PGPORT=$cluster_port
    local tries
    for ((tries = 0; tries < 300; tries++)); do
        "$bin/pg_isready" -q && return 0
        kill -0 "$cluster_pid" 2>/dev/null || break
        sleep 0.1
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
