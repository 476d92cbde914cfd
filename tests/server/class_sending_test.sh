#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the class sending test program against a throwaway PostgreSQL server
# with the class script loaded, a pupil login and a class of two children.
# The server answers in Japanese (tools/setup.sh makes the locale), as one
# installed on a Japanese system does, and asks the pupil for its password.
set -euo pipefail
program=$1
script=$2
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/throwaway_cluster.sh"
start_class_server "$script" -c lc_messages=ja_JP.UTF-8
psql -X -q -v ON_ERROR_STOP=1 -d varolin <<'SQL'
CREATE ROLE room3_1 LOGIN PASSWORD 'secret' IN ROLE varolin_pupil;
INSERT INTO varolin.classes (name) VALUES ('3-1');
INSERT INTO varolin.class_logins (login, class_id) SELECT 'room3_1', id FROM varolin.classes;
INSERT INTO varolin.children (class_id, name)
    SELECT id, unnest(ARRAY['はなこ', 'たろう']) FROM varolin.classes;
SQL
# The superuser of the test alone comes in without a password.
hba=$(psql -X -A -t -c 'SHOW hba_file')
printf 'local all postgres trust\nlocal all all scram-sha-256\n' >"$hba"
psql -X -q -c 'SELECT pg_reload_conf()' >/dev/null

# Not exec: the server is stopped and its folder removed when this ends.
VAROLIN_TEST_PGHOST=$PGHOST "$program" "${@:3}"
