#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the class login test program against three throwaway servers on
# 127.0.0.1 with TLS: the class's own (SCRAM), and two that answer in its
# place, one letting anyone in and one asking for the password in clear and
# knowing it.
set -euo pipefail
script=$1
program=$2
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/throwaway_cluster.sh"

logins() {
    psql -X -q -v ON_ERROR_STOP=1 -d varolin <<'SQL'
CREATE ROLE room3_1 LOGIN PASSWORD 'secret' IN ROLE varolin_pupil;
CREATE ROLE tanaka LOGIN PASSWORD 'secret' IN ROLE varolin_teacher;
INSERT INTO varolin.classes (name) VALUES ('3-1');
INSERT INTO varolin.class_logins (login, class_id) SELECT login, id FROM varolin.classes,
    (VALUES ('room3_1'), ('tanaka')) AS logins (login);
INSERT INTO varolin.children (class_id, name) SELECT id, 'はなこ' FROM varolin.classes;
SQL
}

start_class_server "$script" --tls=trust
logins
export VAROLIN_TRUST_PORT=$cluster_port
start_class_server "$script" --tls=password
logins
export VAROLIN_PASSWORD_PORT=$cluster_port
start_class_server "$script" --tls
logins
export VAROLIN_REAL_PORT=$cluster_port VAROLIN_REAL_CERT=$cluster_cert VAROLIN_REAL_SOCKET=$PGHOST
# Not exec: the servers go when this script ends.
"$program"
