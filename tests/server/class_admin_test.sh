#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# varolin-class-admin on a throwaway server with TLS, SCRAM and certificate
# logins, run as the server's owner as on a school's server: every command;
# every refusal changes nothing; a classroom machine given the class.ini,
# password file and certificate it wrote reads the roster and sends a sheet;
# a certificate login outlives a password the pupil set; the secrets never
# reach a planted link or pipe, the statement log or pg_stat_statements.
#   class_admin_test.sh ADMIN CLASS_SERVER_SQL MACHINE_PROGRAM
set -euo pipefail
admin_command=$1
export VAROLIN_CLASS_SERVER_SQL=$2
machine=$3
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/throwaway_cluster.sh"
start_cluster --tls -c log_statement=all -c shared_preload_libraries=pg_stat_statements
unset PGDATABASE
mkdir "$cluster_dir/admin" && cd "$cluster_dir/admin" && work=$PWD
# The command runs as the server's owner, never as root: the folders it
# writes secrets into are that user's.
owner=$(stat -c %U "$cluster_dir")
chown "$owner:" "$work"
as_owner=()
[ "$(id -u)" -ne 0 ] || as_owner=(setpriv --reuid="$owner" --regid="$(id -g "$owner")" --clear-groups)
admin() { "${as_owner[@]}" env HOME="$work" VAROLIN_CA_DIR="$work/ca" "$admin_command" "$@"; }

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
    ! admin "$@" >/dev/null 2>"$cluster_dir/error" || fail "$what: not refused"
    [ -s "$cluster_dir/error" ] || fail "$what: refused without a word"
    [ "$(state)" = "$before" ] || fail "$what: something changed"
}
# A login connecting over TLS as a classroom machine does.
connects() { psql -X -At "host=localhost port=$cluster_port dbname=varolin user=$1 $2" -c 'SELECT current_user' 2>&1; }

out=$(admin setup)
[[ $out == *"in database varolin"* && $out == *"now trusts the school's authority"* ]] || fail "setup: $out"
[ "$(stat -c %a ca)$(stat -c %a ca/ca.key)" = 700600 ] || fail "the authority is not the owner's alone"
admin setup >/dev/null || fail "setup run again"
[ "$(q "SELECT pg_encoding_to_char(encoding) FROM pg_database WHERE datname = 'varolin'")" = UTF8 ] ||
    fail "the database is not UTF8"
[ "$(admin list)" = "no class yet: add one with add-class" ] || fail "an empty list: $(admin list)"
admin add-class 3-1 >/dev/null
admin add-class 3-2 >/dev/null
q "CREATE EXTENSION pg_stat_statements" >/dev/null

# A spreadsheet's CSV (BOM, CRLF, quotes) and a plain list; names cleaned as
# a machine cleans them: NFC, control characters dropped, white space folded.
printf '\xef\xbb\xbfばんごう,なまえ\r\n1,"はなこ"\r\n2,  た  ろう \r\n3,\r\n4,"は\xe3\x82\x99な, こ"\r\n12,じ\x01ろう\r\n' >roster.csv
printf 'さくら\n\nゆい\n' >roster.txt
report=$(admin import-roster 3-1 roster.csv)
[[ $report == *"line 4: skipped, empty"* ]] || fail "an empty name is not reported: $report"
admin import-roster 3-2 roster.txt >/dev/null
[ "$(admin import-roster 3-1 roster.csv | tail -n 1)" = "class 3-1: 0 added, 5 skipped, 4 on the roster" ] ||
    fail "a second import is not all skipped"
# Shift_JIS and UTF-16 as spreadsheets save them; a plain list continues
# after the class's last number; a name twice with two numbers is two children.
printf 'なまえ,ばんごう\nさくら,7\nさくら,8\n' | iconv -t CP932 >sjis.csv
printf 'あおい\nみお\n' | iconv -t UTF-16 >utf16.txt
admin import-roster 3-2 sjis.csv >/dev/null || fail "a Shift_JIS roster: $(admin import-roster 3-2 sjis.csv 2>&1)"
admin import-roster 3-2 utf16.txt >/dev/null || fail "a UTF-16 roster: $(admin import-roster 3-2 utf16.txt 2>&1)"
[ "$(q "SELECT string_agg(c.name || ':' || h.number || h.name, ',' ORDER BY c.name, h.number) FROM varolin.children h JOIN varolin.classes c ON c.id = h.class_id")" = \
    "3-1:1はなこ,3-1:2た ろう,3-1:4ばな, こ,3-1:12じろう,3-2:1さくら,3-2:2ゆい,3-2:7さくら,3-2:8さくら,3-2:9あおい,3-2:10みお" ] ||
    fail "rosters: $(q 'SELECT number, name FROM varolin.children ORDER BY id')"

# Logins: pupils by certificate (one given a password as schools had them),
# a teacher's password; the statement log sees no password.
admin add-login room3_1 --pupil --password --class 3-1 --server localhost --class-ini class.ini 2>/dev/null
admin add-login tanaka --teacher --class 3-1 --connection-limit 3 >tanaka.ini 2>/dev/null
admin add-login room3_2 --pupil --class 3-2 --server localhost --machine-cert-dir /etc/varolin >room3_2.ini 2>room3_2.log
admin add-login room3_3 --pupil --class 3-2 --server db.school.example >room3_3.ini 2>room3_3.log
[ "$(q "SELECT string_agg(format('%s %s %s %s %s', r.rolname, r.rolconnlimit, g.rolname, l.class_id,
                           has_database_privilege(r.rolname, 'varolin', 'CONNECT')::text), ',' ORDER BY r.rolname)
          FROM pg_roles r JOIN pg_auth_members m ON m.member = r.oid JOIN pg_roles g ON g.oid = m.roleid
          JOIN varolin.class_logins l ON l.login = r.rolname")" = \
    "room3_1 40 varolin_pupil 1 true,room3_2 40 varolin_pupil 2 true,room3_3 40 varolin_pupil 2 true,tanaka 3 varolin_teacher 1 true" ] ||
    fail "logins: $(q 'SELECT * FROM varolin.class_logins')"
[ "$(q "SELECT string_agg(rolname, ',' ORDER BY rolname) FROM pg_authid WHERE rolpassword LIKE 'SCRAM-SHA-256\$%'")" = room3_1,tanaka ] ||
    fail "passwords not SCRAM, or a certificate login given one"
! grep -qF "$(cat tanaka.password)" "$cluster_dir/server.log" || fail "the password is in the server's log"
# (pg_stat_statements keeps ALTER ROLE ... PASSWORD as it was sent.)
[ "$(q "SELECT count(*) FROM pg_stat_statements WHERE query LIKE 'ALTER ROLE%PASSWORD%'")" != 0 ] ||
    fail "pg_stat_statements keeps no statement of a password at all"
[ "$(q "SELECT count(*) FROM pg_stat_statements WHERE strpos(query, '$(cat tanaka.password)') > 0")" = 0 ] ||
    fail "pg_stat_statements keeps the password"
[[ $(cat room3_3.log) == *"connection limits"* ]] || fail "connection limits over the server's slots are not told"
[ "$(stat -c %a room3_1.password)$(stat -c %a room3_2.key)" = 600600 ] || fail "secret file modes"
grep -qxE '[A-Za-z0-9_-]{32}' room3_1.password || fail "a weak password"
cmp -s room3_1.password tanaka.password && fail "two logins share a password"
cmp -s class-server.crt "$cluster_cert" || fail "the server's certificate was not copied"
grep -qx sslmode=verify-full class.ini && grep -qx channel_binding=require class.ini || fail "class.ini: $(cat class.ini)"
grep -qx sslmode=require room3_3.ini && ! grep -q '^sslrootcert' room3_3.ini ||
    fail "a certificate not naming the server is used: $(cat room3_3.ini)"
grep -qx role=tanaka tanaka.ini || fail "the teacher's class.ini is not printed"
grep -qx sslcert=/etc/varolin/room3_2.crt room3_2.ini && grep -qx sslkey=/etc/varolin/room3_2.key room3_2.ini &&
    grep -qx sslrootcert=/etc/varolin/class-server.crt room3_2.ini && ! grep -q password_file room3_2.ini ||
    fail "a certificate login's class.ini: $(cat room3_2.ini)"
[ "$(admin class-ini room3_2 --server localhost --machine-cert-dir /etc/varolin 2>/dev/null)" = "$(cat room3_2.ini)" ] ||
    fail "class-ini does not give the login's class.ini again"
# Without --server: the host the command connected to.
q "ALTER ROLE postgres PASSWORD 'admin'" >/dev/null
PGHOST=localhost PGPASSWORD=admin admin class-ini room3_1 2>/dev/null | grep -qx server=localhost ||
    fail "class.ini does not name the host connected to"

# The pg_hba.conf line add-login printed lets the certificate logins in; a
# password the pupil gives its own login then changes nothing for the
# machines, and list tells it, as it tells defaults the login gave itself.
hba_line=$(grep -E '^  hostssl varolin \+varolin_pupil samenet cert$' room3_2.log) || fail "no pg_hba.conf line: $(cat room3_2.log)"
printf 'local all all trust\nhostssl varolin room3_1 127.0.0.1/32 scram-sha-256\n%s\nhostssl all all 127.0.0.1/32 scram-sha-256\n' \
    "${hba_line# }" >"$cluster_dir/data/pg_hba.conf"
q 'SELECT pg_reload_conf()' >/dev/null
sleep 0.5
mkdir machine
cp room3_1.password room3_2.crt room3_2.key class-server.crt machine/
chmod 600 machine/room3_2.key
cert="sslmode=verify-full sslrootcert=$work/machine/class-server.crt sslcert=$work/machine/room3_2.crt sslkey=$work/machine/room3_2.key"
[ "$(connects room3_2 "$cert")" = room3_2 ] || fail "a certificate login: $(connects room3_2 "$cert")"
[ "$(PGPASSWORD=x connects room3_2 "sslmode=require")" != room3_2 ] || fail "a pupil login without its certificate"
psql -X -q "host=localhost port=$cluster_port dbname=varolin user=room3_2 $cert" \
    -c "ALTER ROLE CURRENT_USER PASSWORD 'locked out'" -c "ALTER ROLE CURRENT_USER SET idle_session_timeout = '1ms'"
[ "$(connects room3_2 "$cert options='-c idle_session_timeout=0'")" = room3_2 ] || fail "the pupil's own password locked the certificate out"
q "ALTER ROLE tanaka PASSWORD 'changed'" >/dev/null
listed=$(admin list)
[[ $listed == *"room3_2  pupil  connection limit 40  certificate  PASSWORD SET"*"SETTINGS OF ITS OWN: idle_session_timeout=1ms"* ]] ||
    fail "list does not flag what the pupil did: $listed"
[[ $listed == *"tanaka  teacher  connection limit 3  PASSWORD CHANGED"* ]] || fail "list does not flag a changed password: $listed"
[[ $listed != *"room3_1  pupil  connection limit 40  "[A-Z]* ]] || fail "list flags an untouched login: $listed"

# The classroom machine: the files copied to where class.ini names them.
sed "s|/etc/xdg/Varolin/|$work/machine/|" class.ini >machine/class.ini
[ "$(PGPASSWORD=wrong connects room3_1 sslmode=require)" != room3_1 ] || fail "the server takes any password"
VAROLIN_TEST_CLASS_INI=$work/machine/class.ini VAROLIN_TEST_CHILD=じろう "$machine" >machine.log 2>&1 ||
    { cat machine.log >&2; fail "a classroom machine with the written class.ini"; }
[ "$(q "SELECT h.name, s.sent_by FROM varolin.sheets s JOIN varolin.children h ON h.id = s.child_id")" = "じろう|room3_1" ] ||
    fail "the machine's sheet did not arrive"

# Secrets go only into folders no one else can write, and never through a
# link or a pipe planted where they are written.
mkdir -m 1777 shared && chown "$owner:" shared
mkdir mine && chown "$owner:" mine
mkfifo mine/sato.password && chown -h "$owner:" mine/sato.password
ln -s "$work/tanaka.ini" mine/class-server.crt && chown -h "$owner:" mine/class-server.crt
ln -s "$work/tanaka.ini" mine/kato.key && chown -h "$owner:" mine/kato.key
before=$(cat tanaka.ini)
refused "a password file in a folder others can write" add-login sato --teacher --class 3-1 --password-file shared/sato.password
[[ $(cat "$cluster_dir/error") == *"others can write in shared"* ]] || fail "the folder is not named: $(cat "$cluster_dir/error")"
refused "a key in a folder others can write" add-login kato --pupil --class 3-1 --key-file shared/kato.key
cat mine/sato.password >captured 2>/dev/null &
reader=$!
timeout 20 "${as_owner[@]}" env HOME="$work" "$admin_command" add-login sato --teacher --class 3-1 \
    --password-file mine/sato.password >/dev/null 2>&1 && fail "a pipe taken for the password file"
kill "$reader" 2>/dev/null || true
wait "$reader" 2>/dev/null || true
[ ! -s captured ] || fail "the password went into a planted pipe"
rm -f captured
refused "a link planted as the key" add-login kato --pupil --class 3-1 --key-file mine/kato.key
rm mine/sato.password
refused "a link planted as the server's certificate" add-login sato --teacher --class 3-1 --password-file mine/sato.password --server localhost
[ "$(cat tanaka.ini)" = "$before" ] || fail "a planted link was followed"

# A login renamed keeps nothing, and a new login under its old name starts
# with only the class it is given.
q "ALTER ROLE room3_3 RENAME TO room3_3_old" >/dev/null
admin add-login room3_3 --pupil --class 3-1 --server localhost --key-file room3_3b.key >/dev/null 2>room3_3b.log
[[ $(cat room3_3b.log) == *"removed 1 class row(s) of an earlier login named room3_3"* ]] || fail "stale rows not told: $(cat room3_3b.log)"
[ "$(psql -X -q -At -d varolin -c 'SET ROLE room3_3' -c "SELECT string_agg(name, ',') FROM varolin.classes")" = 3-1 ] ||
    fail "a new login under an old name inherits its classes"
[ -z "$(psql -X -q -At -d varolin -c 'SET ROLE room3_3_old' -c "SELECT string_agg(name, ',') FROM varolin.classes")" ] ||
    fail "a renamed login keeps its classes"

printf 'あきら\nあいうえおかきくけこさしすせそたちつてとな\n' >long.txt
printf 'あきら\nあきら\n' >twice.txt
printf 'ばんごう,よみ\n1,あきら\n' >no_name.csv
printf 'なまえ\n"あき\nら"\n' >newline.csv
printf 'は\xe2\x80\x8bなこ\n' >zero_width.txt
printf '\xa4\xa2\xa4\xad\xa4\xe9\n' >euc.txt
printf 'ばんごう,なまえ\n5,あきら\n5,ゆう\n' >number_twice.csv
psql -X -q -d varolin -c "CREATE ROLE owner LOGIN IN ROLE varolin_teacher; CREATE TABLE public.kept () ; ALTER TABLE public.kept OWNER TO owner"
psql -X -q -d varolin -c "CREATE ROLE dba LOGIN SUPERUSER IN ROLE varolin_teacher; CREATE ROLE via LOGIN IN ROLE tanaka"
refused "a class that exists" add-class 3-1
refused "an empty class name" add-class ""
refused "a class named like an option" add-class -x
admin add-class --help >/dev/null && [ "$(q "SELECT count(*) FROM varolin.classes WHERE name LIKE '-%'")" = 0 ] ||
    fail "add-class --help made a class"
refused "an unknown class's roster" import-roster 9-9 roster.txt
for file in long.txt twice.txt no_name.csv newline.csv zero_width.txt euc.txt number_twice.csv; do
    refused "the roster $file" import-roster 3-1 "$file"
done
[[ $(admin import-roster 3-1 euc.txt 2>&1) == *EUC-JP* ]] || fail "an EUC-JP roster is not named"
refused "a login for an unknown class" add-login room9 --pupil --class 9-9
refused "a login that exists" add-login tanaka --teacher --class 3-1 --password-file other.password
refused "a password file that exists" add-login sato --teacher --class 3-1 --password-file tanaka.password
for login in postgres pg_sato varolin_pupil Tanaka "a;b" 1st current_user user all select; do
    refused "login $login" add-login "$login" --teacher --class 3-1
done
refused "a line break in --server" add-login sato --teacher --class 3-1 --server $'localhost\nrole=postgres'
refused "removing a role that is not a login of the classes" remove-login postgres
refused "removing a superuser" remove-login dba
refused "removing a role in the groups through another" remove-login via
refused "removing a login that owns objects" remove-login owner
refused "setup over tables of another program" setup
PGDATABASE=postgres refused "setup into the server's own database" setup
q "UPDATE varolin.schema_version SET version = version + 1" >/dev/null
refused "a newer layout" add-class 3-3
refused "a newer layout" setup
q "UPDATE varolin.schema_version SET version = version - 1" >/dev/null

# A session holding the layout's lock: setup gives up after its bounded
# wait and says why, instead of hanging.
psql -X -q -d varolin -c "SELECT pg_advisory_lock(hashtext('varolin class server layout'))" -c 'SELECT pg_sleep(60)' &
holder=$!
sleep 0.5
status=0
timeout 40 "${as_owner[@]}" env HOME="$work" VAROLIN_CA_DIR="$work/ca" "$admin_command" --database varolin setup \
    >/dev/null 2>"$cluster_dir/error" || status=$?
[ "$status" -eq 1 ] && grep -q "layout lock for 20 s" "$cluster_dir/error" ||
    fail "setup under a held layout lock: status $status, $(cat "$cluster_dir/error")"
kill "$holder" 2>/dev/null || true
wait "$holder" 2>/dev/null || true

# Removed: its sessions end and its files here go.
psql -X -q "host=localhost port=$cluster_port dbname=varolin user=tanaka password=changed sslmode=require" \
    -c 'SELECT pg_sleep(60)' >/dev/null 2>&1 &
session=$!
sleep 0.5
out=$(admin remove-login tanaka)
[[ $out == *"ended 1 open session(s)"*"removed ./tanaka.password"* ]] || fail "remove-login: $out"
timeout 10 tail --pid="$session" -f /dev/null || fail "the removed login's session goes on"
[ "$(q "SELECT count(*) FROM pg_roles WHERE rolname = 'tanaka'")$(q "SELECT count(*) FROM varolin.class_logins WHERE login = 'tanaka'")" = 00 ] ||
    fail "remove-login left the login behind"
[ ! -e tanaka.password ] || fail "remove-login left the password file"

[ "$failures" -eq 0 ] || exit 1
echo "varolin-class-admin: every command, its refusals and a machine with its class.ini"
