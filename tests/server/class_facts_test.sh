#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the class facts' test program against a server of its own: the layout
# loaded, two classes and a teacher login for each. The program sends its
# sheets itself, as the superuser.
set -euo pipefail
script=$1
program=$2
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/throwaway_cluster.sh"
start_class_server "$script"
psql -X -q -v ON_ERROR_STOP=1 -d varolin <<'SQL'
CREATE ROLE teacher_a LOGIN IN ROLE varolin_teacher;
CREATE ROLE teacher_b LOGIN IN ROLE varolin_teacher;
INSERT INTO varolin.classes (name) VALUES ('3-1'), ('3-2');
INSERT INTO varolin.class_logins (login, class_id)
    SELECT login, c.id FROM (VALUES ('teacher_a', '3-1'), ('teacher_b', '3-2')) AS v (login, class)
    JOIN varolin.classes c ON c.name = v.class;
SQL
# Not exec: the cluster goes when this script ends.
"$program"
