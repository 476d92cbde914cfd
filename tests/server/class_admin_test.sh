#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# varolin-class-admin on a throwaway server with TLS and SCRAM: every command;
# every refusal changes nothing; and a classroom machine given the class.ini,
# password file and certificate it wrote reads the roster and sends a sheet.
#   class_admin_test.sh ADMIN CLASS_SERVER_SQL MACHINE_PROGRAM
set -euo pipefail
admin=$1
export VAROLIN_CLASS_SERVER_SQL=$2
machine=$3
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/throwaway_cluster.sh"
start_cluster --tls
unset PGDATABASE
mkdir "$cluster_dir/admin" && cd "$cluster_dir/admin" && work=$PWD

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
q() { psql -X -At -d varolin -c "$1"; }
# Everything a command may change: roles, the class tables, the files here.
state() {
    psql -X -At -d varolin -c "SELECT rolname, rolconnlimit FROM pg_roles WHERE rolname !~ '^pg_' ORDER BY 1" \
        -c "SELECT * FROM varolin.classes ORDER BY id" -c "SELECT * FROM varolin.children ORDER BY id" \
        -c "SELECT * FROM varolin.class_logins ORDER BY 1, 2" -c "SELECT version FROM varolin.schema_version"
    ls -A
}
# refused WHAT ARGS...: the command fails and nothing has changed.
refused() {
    local what=$1 before
    shift
    before=$(state)
    ! "$admin" "$@" >/dev/null 2>"$cluster_dir/error" || fail "$what: not refused"
    [ -s "$cluster_dir/error" ] || fail "$what: refused without a word"
    [ "$(state)" = "$before" ] || fail "$what: something changed"
}

"$admin" setup >/dev/null
"$admin" setup >/dev/null || fail "setup run again"
[ "$(q "SELECT pg_encoding_to_char(encoding) FROM pg_database WHERE datname = 'varolin'")" = UTF8 ] ||
    fail "the database is not UTF8"
"$admin" add-class 3-1 >/dev/null
"$admin" add-class 3-2 >/dev/null

# A spreadsheet's CSV (BOM, CRLF, quotes) and a plain list; names cleaned as
# a machine cleans them: NFC, control characters dropped, white space folded.
printf '\xef\xbb\xbfばんごう,なまえ\r\n1,"はなこ"\r\n2,  た  ろう \r\n3,\r\n4,"は\xe3\x82\x99な, こ"\r\n5,じ\x01ろう\r\n' >roster.csv
printf 'さくら\n\nゆい\n' >roster.txt
report=$("$admin" import-roster 3-1 roster.csv)
[[ $report == *"line 4: skipped, empty"* ]] || fail "an empty name is not reported: $report"
"$admin" import-roster 3-2 roster.txt >/dev/null
[ "$("$admin" import-roster 3-1 roster.csv | tail -n 1)" = "class 3-1: 0 added, 5 skipped, 4 on the roster" ] ||
    fail "a second import is not all skipped"
[ "$(q "SELECT string_agg(c.name || ':' || h.name, ',' ORDER BY h.id) FROM varolin.children h JOIN varolin.classes c ON c.id = h.class_id")" = \
    "3-1:はなこ,3-1:た ろう,3-1:ばな, こ,3-1:じろう,3-2:さくら,3-2:ゆい" ] || fail "rosters: $(q 'SELECT name FROM varolin.children')"

"$admin" add-login room3_1 --pupil --class 3-1 --server localhost --class-ini class.ini 2>/dev/null
"$admin" add-login tanaka --teacher --class 3-1 --connection-limit 3 >tanaka.ini 2>/dev/null
"$admin" add-login room3_2 --pupil --class 3-2 --server db.school.example >room3_2.ini 2>/dev/null
[ "$(q "SELECT string_agg(format('%s %s %s %s %s', r.rolname, r.rolconnlimit, g.rolname, l.class_id,
                           has_database_privilege(r.rolname, 'varolin', 'CONNECT')::text), ',' ORDER BY r.rolname)
          FROM pg_roles r JOIN pg_auth_members m ON m.member = r.oid JOIN pg_roles g ON g.oid = m.roleid
          JOIN varolin.class_logins l ON l.login = r.rolname")" = \
    "room3_1 40 varolin_pupil 1 true,room3_2 40 varolin_pupil 2 true,tanaka 3 varolin_teacher 1 true" ] ||
    fail "logins: $(q 'SELECT * FROM varolin.class_logins')"
[ "$(q "SELECT count(*) FROM pg_authid WHERE rolpassword LIKE 'SCRAM-SHA-256\$%'")" = 3 ] || fail "passwords not SCRAM"
[ "$(stat -c %a room3_1.password)" = 600 ] || fail "password file mode $(stat -c %a room3_1.password)"
grep -qxE '[A-Za-z0-9_-]{32}' room3_1.password || fail "a weak password"
cmp -s room3_1.password tanaka.password && fail "two logins share a password"
cmp -s class-server.crt "$cluster_cert" || fail "the server's certificate was not copied"
grep -qx sslmode=verify-full class.ini && grep -qx channel_binding=require class.ini || fail "class.ini: $(cat class.ini)"
grep -qx sslmode=require room3_2.ini && ! grep -q '^sslrootcert' room3_2.ini ||
    fail "a certificate not naming the server is used: $(cat room3_2.ini)"
grep -qx role=tanaka tanaka.ini || fail "the teacher's class.ini is not printed"

# The classroom machine: the files copied to where class.ini names them.
mkdir machine
cp room3_1.password class-server.crt machine/
sed "s|/etc/xdg/Varolin/|$work/machine/|" class.ini >machine/class.ini
[ "$(PGPASSWORD=wrong psql -X -At -h localhost -p "$cluster_port" -U room3_1 -d varolin -c 'SELECT 1' 2>/dev/null)" = "" ] ||
    fail "the server takes any password"
VAROLIN_TEST_CLASS_INI=$work/machine/class.ini VAROLIN_TEST_CHILD=じろう "$machine" >machine.log 2>&1 ||
    { cat machine.log >&2; fail "a classroom machine with the written class.ini"; }
[ "$(q "SELECT h.name, s.sent_by FROM varolin.sheets s JOIN varolin.children h ON h.id = s.child_id")" = "じろう|room3_1" ] ||
    fail "the machine's sheet did not arrive"

[ "$("$admin" list)" = "class 3-1: 4 children
  room3_1  pupil  connection limit 40
  tanaka  teacher  connection limit 3
class 3-2: 2 children
  room3_2  pupil  connection limit 40" ] || fail "list: $("$admin" list)"

printf 'あきら\nあいうえおかきくけこさしすせそたちつてとな\n' >long.txt
printf 'あきら\nあきら\n' >twice.txt
psql -X -q -d varolin -c "CREATE ROLE owner LOGIN IN ROLE varolin_teacher; CREATE TABLE public.kept () ; ALTER TABLE public.kept OWNER TO owner"
refused "a class that exists" add-class 3-1
refused "an empty class name" add-class ""
refused "an unknown class's roster" import-roster 9-9 roster.txt
refused "a name over 20 characters" import-roster 3-1 long.txt
refused "a name twice in the file" import-roster 3-1 twice.txt
refused "a login for an unknown class" add-login room9 --pupil --class 9-9
refused "a login that exists" add-login tanaka --teacher --class 3-1 --password-file other.password
refused "a password file that exists" add-login sato --teacher --class 3-1 --password-file tanaka.password
for login in postgres pg_sato varolin_pupil Tanaka "a;b" 1st; do
    refused "login $login" add-login "$login" --teacher --class 3-1
done
refused "removing a role that is not a login of the classes" remove-login postgres
refused "removing a login that owns objects" remove-login owner
q "UPDATE varolin.schema_version SET version = version + 1" >/dev/null
refused "a newer layout" add-class 3-3
refused "a newer layout" setup
q "UPDATE varolin.schema_version SET version = version - 1" >/dev/null

"$admin" remove-login tanaka >/dev/null
[ "$(q "SELECT count(*) FROM pg_roles WHERE rolname = 'tanaka'")$(q "SELECT count(*) FROM varolin.class_logins WHERE login = 'tanaka'")" = 00 ] ||
    fail "remove-login left the login behind"

[ "$failures" -eq 0 ] || exit 1
echo "varolin-class-admin: every command, its refusals and a machine with its class.ini"
