#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the class login test program against three throwaway servers on
# 127.0.0.1 with TLS: the class's own (SCRAM), and two answering in its place,
# one letting anyone in, one asking for the password in clear and knowing it.
set -euo pipefail
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/throwaway_cluster.sh"
ports=()
for method in trust password scram-sha-256; do
    start_class_server "$1" --tls=$method
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
VAROLIN_TRUST_PORT=${ports[0]} VAROLIN_PASSWORD_PORT=${ports[1]} VAROLIN_REAL_PORT=${ports[2]} \
    VAROLIN_REAL_CERT=$cluster_cert VAROLIN_REAL_SOCKET=$PGHOST "$2"
