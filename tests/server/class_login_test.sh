#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the class login test program against four throwaway servers on
# 127.0.0.1: the class's own (TLS, SCRAM), two answering in its place, one
# letting anyone in, one asking for the password in clear and knowing it
# (TLS), one letting pupils in by their client certificate, and one without
# TLS.
set -euo pipefail
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/throwaway_cluster.sh"
ports=()
for method in plain trust password cert scram-sha-256; do
    if [ $method = plain ]; then
        start_class_server "$1" --tls -c ssl=off
    else
        start_class_server "$1" --tls=$method
    fi
    if [ $method = cert ]; then
        # The server's own certificate stands for the school's authority:
        # it signs the pupil login's certificate, which the server trusts.
        openssl req -new -newkey rsa:2048 -nodes -subj /CN=room3_1 -keyout "$cluster_dir/room.key" \
            2>/dev/null | openssl x509 -req -days 2 -CA "$cluster_cert" -CAkey "$cluster_dir/server.key" \
            -CAcreateserial -out "$cluster_dir/room.crt" 2>/dev/null
        chmod 600 "$cluster_dir/room.key"
        psql -X -q -c "ALTER SYSTEM SET ssl_ca_file = '$cluster_cert'" -c 'SELECT pg_reload_conf()' >/dev/null
        cert_folder=$cluster_dir
    fi
    psql -X -q -v ON_ERROR_STOP=1 -d varolin <<'SQL'
CREATE ROLE room3_1 LOGIN PASSWORD 'secret' IN ROLE varolin_pupil;
CREATE ROLE tanaka LOGIN PASSWORD 'secret' IN ROLE varolin_teacher;
INSERT INTO varolin.classes (name) VALUES ('3-1');
INSERT INTO varolin.class_logins (login, class_id)
    SELECT unnest(ARRAY['room3_1', 'tanaka']), id FROM varolin.classes;
INSERT INTO varolin.children (class_id, name) SELECT id, 'はなこ' FROM varolin.classes;
SQL
    ports+=("$cluster_port")
done
# Not exec: the servers go when this script ends.
VAROLIN_PLAIN_PORT=${ports[0]} VAROLIN_TRUST_PORT=${ports[1]} VAROLIN_PASSWORD_PORT=${ports[2]} \
    VAROLIN_CERT_PORT=${ports[3]} VAROLIN_CERT_FOLDER=$cert_folder VAROLIN_REAL_PORT=${ports[4]} \
    VAROLIN_REAL_CERT=$cluster_cert VAROLIN_REAL_SOCKET=$PGHOST "$2"
