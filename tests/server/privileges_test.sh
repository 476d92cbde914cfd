#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The class server's script on a real PostgreSQL server: what a pupil login
# and a teacher login may read and change, a sheet sent twice stored once,
# the sheets and names no drill or teacher makes refused, who may connect,
# the daily volume held however the sheets come, nothing a pupil can hold to
# stall another class, and the script run again, over the older layouts or
# against a newer one.
set -euo pipefail
script=$1
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/throwaway_cluster.sh"
start_cluster

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Runs SQL as a login on the class database; prints its rows and errors.
sql() {
    local login=$1
    shift
    psql -X -q -At -v ON_ERROR_STOP=1 -U "$login" -d varolin -c "$@" 2>&1
}

# check WHAT LOGIN ok|refused SQL WANT: the rows must be WANT, or the
# statement must fail with an error containing WANT.
check() {
    local what=$1 login=$2 outcome=$3 statement=$4 want=$5 got status=0
    got=$(sql "$login" "$statement") || status=$?
    case $outcome in
    ok) [ "$status" -eq 0 ] && [ "$got" = "$want" ] || fail "$what: got '$got', want '$want'" ;;
    refused) [ "$status" -ne 0 ] && [[ $got == *"$want"* ]] || fail "$what: got '$got', want an error '$want'" ;;
    esac
}

load() { psql -X -q -v ON_ERROR_STOP=1 -d varolin -f "$script" 2>&1; }
# The dump names a random key that changes every time.
layout() { pg_dump -d varolin --schema-only --schema=varolin | grep -Ev '^\\(un)?restrict '; }

createdb -T template0 -E UTF8 varolin
load >/dev/null || { load >&2; cluster_fail "the script does not load"; }

psql -X -q -v ON_ERROR_STOP=1 -d varolin <<'EOF'
CREATE ROLE pupil_a LOGIN IN ROLE varolin_pupil;
CREATE ROLE pupil_b LOGIN IN ROLE varolin_pupil;
CREATE ROLE teacher_a LOGIN IN ROLE varolin_teacher;
CREATE ROLE teacher_b LOGIN IN ROLE varolin_teacher;
CREATE ROLE stray LOGIN;
INSERT INTO varolin.classes (name) VALUES ('3-1'), ('3-2');
INSERT INTO varolin.class_logins (login, class_id)
    SELECT login, c.id FROM (VALUES ('pupil_a', '3-1'), ('teacher_a', '3-1'),
                                    ('pupil_b', '3-2'), ('teacher_b', '3-2')) AS v (login, class)
    JOIN varolin.classes c ON c.name = v.class;
INSERT INTO varolin.children (class_id, name)
    SELECT id, unnest(ARRAY['はなこ', 'たろう']) FROM varolin.classes WHERE name = '3-1';
INSERT INTO varolin.children (class_id, name) SELECT id, 'じろう' FROM varolin.classes WHERE name = '3-2';
EOF
id_of() { sql postgres "SELECT id FROM varolin.$1 WHERE name = '$2'"; }
class_b=$(id_of classes 3-2)
hanako=$(id_of children はなこ)
jiro=$(id_of children じろう)

# A sheet as a machine sends it, finished at half past midnight in Tokyo: the
# day before in UTC.
sheet() {
    echo "INSERT INTO varolin.sheets (uuid, child_id, finished_at, utc_offset, kind, seconds,
              wrong_digits, record, row_operands, column_operands, cells)
          VALUES ('$1', $2, '2026-12-07T00:30:05+09:00', 540, 2, 75, 1, true,
                  '\\x00010203040506070809', decode(repeat('01', 100), 'hex'),
                  decode(repeat('0005030f000bb801', 81), 'hex'))"
}
u1=00000000-0000-4000-8000-000000000001
u2=00000000-0000-4000-8000-000000000002
u3=00000000-0000-4000-8000-000000000003

check "a pupil reads the layout version" pupil_a ok "SELECT version FROM varolin.schema_version" 3
check "a pupil reads its roster" pupil_a ok "SELECT string_agg(name, ',' ORDER BY id) FROM varolin.children" "はなこ,たろう"
check "a pupil sees its class only" pupil_a ok "SELECT string_agg(name, ','), (SELECT string_agg(login, ',') FROM varolin.class_logins) FROM varolin.classes" "3-1|pupil_a"
check "a pupil sends a sheet" pupil_a ok "$(sheet $u1 "$hanako") ON CONFLICT DO NOTHING" ""
check "a pupil sends the same sheet again" pupil_a ok "$(sheet $u1 "$hanako") ON CONFLICT DO NOTHING" ""
check "another class's pupil sends one" pupil_b ok "$(sheet $u2 "$jiro") ON CONFLICT DO NOTHING" ""
check "a pupil cannot send for another class" pupil_a refused "$(sheet $u3 "$jiro") ON CONFLICT DO NOTHING" "row-level security"
check "a pupil cannot read sheets" pupil_a refused "SELECT count(*) FROM varolin.sheets" "permission denied"
check "a pupil cannot read a sheet back" pupil_a refused "$(sheet $u1 "$hanako") ON CONFLICT DO NOTHING RETURNING seconds" "permission denied"
check "a pupil cannot overwrite a sheet" pupil_a refused "$(sheet $u1 "$hanako") ON CONFLICT (uuid) DO UPDATE SET seconds = 1" "permission denied"
check "a pupil cannot change sheets" pupil_a refused "UPDATE varolin.sheets SET seconds = 1" "permission denied"
check "a pupil cannot delete sheets" pupil_a refused "DELETE FROM varolin.sheets" "permission denied"
check "a pupil cannot date its sheets' arrival" pupil_a refused "INSERT INTO varolin.sheets (uuid, received_at) VALUES ('$u3', now())" "permission denied"
check "a pupil cannot change the roster" pupil_a refused "UPDATE varolin.children SET name = 'x'" "permission denied"
check "each sheet is stored once" postgres ok "SELECT string_agg(sent_by, ',' ORDER BY uuid) FROM varolin.sheets" "pupil_a,pupil_b"

check "a teacher reads its class's sheets" teacher_a ok "SELECT uuid, local_date, seconds FROM varolin.sheets" "$u1|2026-12-07|75"
check "a teacher sees nothing of another class" teacher_b ok "SELECT (SELECT string_agg(name, ',') FROM varolin.children), (SELECT string_agg(uuid::text, ',') FROM varolin.sheets)" "じろう|$u2"
check "a teacher keeps its roster" teacher_a ok "INSERT INTO varolin.children (class_id, name) SELECT class_id, 'さぶろう' FROM varolin.children WHERE id = $hanako; UPDATE varolin.children SET name = 'しろう' WHERE name = 'たろう'; DELETE FROM varolin.children WHERE name = 'さぶろう'; SELECT string_agg(name, ',' ORDER BY id) FROM varolin.children" "はなこ,しろう"
check "a teacher cannot add to another class" teacher_a refused "INSERT INTO varolin.children (class_id, name) VALUES ($class_b, 'x')" "row-level security"
check "a teacher cannot move a child away" teacher_a refused "UPDATE varolin.children SET class_id = $class_b WHERE id = $hanako" "row-level security"
check "a teacher cannot touch another class" teacher_a ok "UPDATE varolin.children SET name = 'x' WHERE id = $jiro RETURNING id; DELETE FROM varolin.sheets WHERE child_id = $jiro RETURNING uuid" ""
check "a teacher cannot send sheets" teacher_a refused "$(sheet $u3 "$hanako") ON CONFLICT DO NOTHING" "permission denied"
check "a teacher deletes a child's sheets" teacher_a ok "DELETE FROM varolin.sheets WHERE child_id = $hanako RETURNING uuid" "$u1"
check "the other class is untouched" postgres ok "SELECT c.name, count(s.*) FROM varolin.children c LEFT JOIN varolin.sheets s ON s.child_id = c.id WHERE c.id = $jiro GROUP BY c.name" "じろう|1"

# refused WHAT LOGIN SQLSTATE SQL: the statement must fail with that state
# ("ok": must not fail).
refused() {
    local what=$1 login=$2 state=$3 statement=$4 got status=0
    got=$(psql -X -q -At -v ON_ERROR_STOP=1 -v VERBOSITY=sqlstate -U "$login" -d varolin \
        -c "$statement" 2>&1) || status=$?
    if [ "$state" = ok ]; then
        [ "$status" -eq 0 ] || fail "$what: refused: $got"
    else
        [ "$status" -ne 0 ] && [[ $got == *"$state"* ]] || fail "$what: got '$got', want $state"
    fi
}
# A sheet pupil_a sends for はなこ as a drill makes it, but for COLUMN=VALUE.
sheet_of() {
    local seconds=60 wrong_digits=0 finished_at="now() - interval '1 hour'" kind=0
    local cells="decode(repeat('0001020300000100', 100), 'hex')"
    [ $# -eq 0 ] || local "$@"
    echo "INSERT INTO varolin.sheets (uuid, child_id, finished_at, utc_offset, kind, seconds,
              wrong_digits, record, row_operands, column_operands, cells)
          VALUES (gen_random_uuid(), $hanako, $finished_at, 540, $kind, $seconds, $wrong_digits,
                  false, '\\x00010203040506070809', decode(repeat('01', 100), 'hex'), $cells)
          ON CONFLICT DO NOTHING"
}
# はなこ's day of 200 sheets, as an administrator may load them.
sql postgres "INSERT INTO varolin.sheets (uuid, child_id, finished_at, utc_offset, kind, seconds,
                  wrong_digits, record, row_operands, column_operands, cells)
              SELECT gen_random_uuid(), $hanako, '2026-01-05 08:00+09'::timestamptz + n * interval '1 minute',
                     540, 0, 60, 0, false, '\\x00010203040506070809', decode(repeat('01', 100), 'hex'), ''
              FROM generate_series(1, 200) n" >/dev/null
refused "a sheet as a drill makes it" pupil_a ok "$(sheet_of)"
refused "a multiplication sheet of 81 cells" pupil_a ok "$(sheet_of kind=2 cells="decode(repeat('0001020300000100', 81), 'hex')")"
refused "no time" pupil_a 23514 "$(sheet_of seconds=0)"
refused "more seconds than a drill counts" pupil_a 23514 "$(sheet_of seconds=32768)"
refused "wrong digits below none" pupil_a 23514 "$(sheet_of wrong_digits=-1)"
refused "finished at infinity" pupil_a 23514 "$(sheet_of finished_at="'infinity'")"
refused "finished in 2099" pupil_a 23514 "$(sheet_of finished_at="'2099-01-01 00:00+00'")"
refused "finished in 2019" pupil_a 23514 "$(sheet_of finished_at="'2019-12-31 00:00+00'")"
refused "no cells" pupil_a 23514 "$(sheet_of cells="''")"
refused "99 cells" pupil_a 23514 "$(sheet_of cells="decode(repeat('0001020300000100', 99), 'hex')")"
refused "a multiplication sheet of 100 cells" pupil_a 23514 "$(sheet_of kind=2)"
refused "a child's 201st sheet of a day" pupil_a 23514 "$(sheet_of finished_at="'2026-01-05 20:00+09'")"
refused "a name with a control character" teacher_a 23514 "INSERT INTO varolin.children (class_id, name) SELECT class_id, E'は\\tな' FROM varolin.children WHERE id = $hanako"
refused "a name with a zero-width space" teacher_a 23514 "INSERT INTO varolin.children (class_id, name) SELECT class_id, U&'\\306F\\200B\\306A' FROM varolin.children WHERE id = $hanako"
refused "a name not in composed form" teacher_a 23514 "INSERT INTO varolin.children (class_id, name) SELECT class_id, U&'\\304B\\3099' FROM varolin.children WHERE id = $hanako"
# (psql prints no SQLSTATE for a connection refused.)
refused "a login of neither group connecting" stray "CONNECT privilege" "SELECT 1"
refused "a pupil making a large object" pupil_a 42501 "SELECT lo_from_bytea(0, 'x')"
refused "a pupil taking the children's turn" pupil_b 42501 "SELECT pg_advisory_lock(hashtext('varolin sheets per day'), $hanako)"
refused "a pupil trying an advisory lock" pupil_b 42501 "SELECT pg_try_advisory_xact_lock(1)"
refused "a pupil locking a day's count" pupil_b 42501 "SELECT FROM varolin.sheets_received FOR UPDATE"
# Two children of one class may share a name, each with their number, which
# the teacher sets; a number is the class's once.
refused "a second はなこ, numbered after the last" teacher_a ok "INSERT INTO varolin.children (class_id, name) SELECT class_id, 'はなこ' FROM varolin.children WHERE id = $hanako"
check "the teacher sets a number" teacher_a ok "UPDATE varolin.children SET number = 30 WHERE name = 'はなこ' AND id <> $hanako; SELECT string_agg(number || name, ',' ORDER BY number) FROM varolin.children" "1はなこ,2しろう,30はなこ"
refused "a number taken" teacher_a 23505 "UPDATE varolin.children SET number = 1 WHERE number = 30"
refused "number 1000" teacher_a 23514 "UPDATE varolin.children SET number = 1000 WHERE number = 30"

# The day's volume: sheets counted on the day they arrive, however many days
# they claim, and whatever the sessions' isolation. じろう has one today.
many() { # many DAYS PER_DAY FIRST: one INSERT of PER_DAY sheets on each of DAYS past days from FIRST
    echo "INSERT INTO varolin.sheets (uuid, child_id, finished_at, utc_offset, kind, seconds, wrong_digits,
              record, row_operands, column_operands, cells)
          SELECT gen_random_uuid(), $jiro, now() - d * interval '1 day' - n * interval '1 second', 540, 0, 60, 0,
                 false, '\\x00010203040506070809', decode(repeat('01', 100), 'hex'),
                 decode(repeat('0001020300000100', 100), 'hex')
            FROM generate_series($3, $3 + $1 - 1) d, generate_series(1, $2) n ON CONFLICT DO NOTHING"
}
refused "199 sheets on each of 30 past days" pupil_b 23514 "$(many 30 199 1)"
refused "399 sheets on two past days" pupil_b ok "$(many 1 200 1); $(many 1 199 3)"
refused "the 401st sheet of the day" pupil_b 23514 "$(many 1 1 5)"
check "the day's sheets" postgres ok "SELECT count(*) FROM varolin.sheets WHERE child_id = $jiro" 400
# Three sessions at once, each seeing none of the others' sheets: the count
# holds them to the ceiling all the same.
sql postgres "DELETE FROM varolin.sheets WHERE child_id = $jiro; DELETE FROM varolin.sheets_received" >/dev/null
sessions=()
for session in 1 3 5; do
    psql -X -q -U pupil_b -d varolin -c "BEGIN ISOLATION LEVEL REPEATABLE READ" -c "SELECT FROM varolin.children" \
        -c "SELECT pg_sleep(1)" -c "$(many 1 150 $session)" -c COMMIT >/dev/null 2>&1 &
    sessions+=($!)
done
wait "${sessions[@]}" || true
stored=$(sql postgres "SELECT count(*) FROM varolin.sheets WHERE child_id = $jiro")
[ "$stored" -ge 150 ] && [ "$stored" -le 400 ] || fail "three REPEATABLE READ sessions stored $stored sheets"

# A server of the first layout, with what it let in, is taken to this one:
# its old sheets and names stay.
createdb -T template0 -E UTF8 old
sed -e 's/^\\set script_version 3$/\\set script_version 1/' -e 's/version < 2 AS step_2/false AS step_2/' \
    -e 's/version < 3 AS step_3/false AS step_3/' "$script" | psql -X -q -v ON_ERROR_STOP=1 -d old >/dev/null ||
    cluster_fail "no layout 1"
psql -X -q -v ON_ERROR_STOP=1 -d old >/dev/null <<'SQL' || fail "layout 1 took no old sheets"
INSERT INTO varolin.classes (name) VALUES (E'3\t1');
INSERT INTO varolin.children (class_id, name) SELECT id, U&'\304B\3099' FROM varolin.classes;
INSERT INTO varolin.sheets (uuid, child_id, finished_at, utc_offset, kind, seconds, wrong_digits,
                            record, row_operands, column_operands, cells)
    SELECT gen_random_uuid(), id, 'infinity', 0, 0, 0, 0, false, '\x00010203040506070809',
           decode(repeat('01', 100), 'hex'), '' FROM varolin.children;
SQL
psql -X -q -v ON_ERROR_STOP=1 -d old -f "$script" >/dev/null || fail "layout 1 not taken to 3"
[ "$(psql -X -At -d old -c "SELECT version, (SELECT count(*) FROM varolin.sheets), (SELECT count(*) FROM varolin.children) FROM varolin.schema_version")" = "3|1|1" ] ||
    fail "layout 1 taken to 3 lost its old sheets"
# A server of layout 2: its children numbered per class in the order they
# were added; a class row of a role gone is not left for the next role of
# that name.
createdb -T template0 -E UTF8 two
sed -e 's/^\\set script_version 3$/\\set script_version 2/' -e 's/version < 3 AS step_3/false AS step_3/' \
    "$script" | psql -X -q -v ON_ERROR_STOP=1 -d two >/dev/null || cluster_fail "no layout 2"
psql -X -q -v ON_ERROR_STOP=1 -d two >/dev/null <<'SQL' || fail "layout 2 took no roster"
INSERT INTO varolin.classes (name) VALUES ('a'), ('b');
INSERT INTO varolin.children (class_id, name) VALUES (2, 'x'), (1, 'y'), (2, 'z'), (1, 'w');
INSERT INTO varolin.class_logins (login, class_id) VALUES ('pupil_a', 1), ('gone', 2);
SQL
psql -X -q -v ON_ERROR_STOP=1 -d two -f "$script" >/dev/null || fail "layout 2 not taken to 3"
[ "$(psql -X -At -d two -c "SELECT string_agg(class_id || name || number, ',' ORDER BY id) FROM varolin.children")$(psql -X -At -d two -c "SELECT string_agg(login, ',') FROM varolin.class_logins")" = \
    "2x1,1y1,2z2,1w2pupil_a" ] || fail "layout 2 taken to 3: $(psql -X -At -d two -c 'SELECT * FROM varolin.children')"

before=$(layout)
load >/dev/null || fail "a second run of the script failed: $(load)"
[ "$(layout)" = "$before" ] || fail "a second run changed the layout"
check "a second run keeps the data" postgres ok "SELECT count(*) FROM varolin.children" 4

sql postgres "UPDATE varolin.schema_version SET version = version + 1" >/dev/null
before=$(layout)
if out=$(load); then fail "the script ran over a newer layout"; fi
[[ $out == *"newer than this script"* ]] || fail "a newer layout is not named: $out"
[ "$(layout)" = "$before" ] || fail "the script changed a newer layout"

[ "$failures" -eq 0 ] || exit 1
echo "class server privileges hold"
