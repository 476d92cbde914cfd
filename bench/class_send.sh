#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Classroom machines sending to a throwaway PostgreSQL server: one sheet, as
# a ratio to a bare round trip timed in the same run, and 100 machines
# sending 10 sheets each at once.
#
#   bash bench/class_send.sh [build folder, default build] [benchmark options]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-build}
shift || true
source "$here/tests/server/throwaway_cluster.sh"
# 100 machines and the bench's own connection.
start_class_server "$here/share/varolin/class-server.sql" --tls=cert -c max_connections=120
# The machines log in by a client certificate that the school's authority
# (here the server's own certificate) signed.
openssl req -new -newkey rsa:2048 -nodes -subj /CN=room3_1 -keyout "$cluster_dir/room.key" \
    2>/dev/null | openssl x509 -req -days 2 -CA "$cluster_cert" -CAkey "$cluster_dir/server.key" \
    -CAcreateserial -out "$cluster_dir/room.crt" 2>/dev/null
chmod 600 "$cluster_dir/room.key"
psql -X -q -c "ALTER SYSTEM SET ssl_ca_file = '$cluster_cert'" -c 'SELECT pg_reload_conf()' >/dev/null
psql -X -q -v ON_ERROR_STOP=1 -d varolin <<'SQL'
CREATE ROLE room3_1 LOGIN IN ROLE varolin_pupil;
INSERT INTO varolin.classes (name) VALUES ('3-1');
INSERT INTO varolin.class_logins (login, class_id) SELECT 'room3_1', id FROM varolin.classes;
-- One child a machine, numbered in order from child-0.
INSERT INTO varolin.children (class_id, name)
    SELECT c.id, 'child-' || n FROM varolin.classes c, generate_series(0, 100) n ORDER BY n;
SQL
VAROLIN_BENCH_PGHOST=$PGHOST VAROLIN_BENCH_PORT=$cluster_port VAROLIN_BENCH_CERTS=$cluster_dir \
    "$build/bench/bench_class_send" "$@"
