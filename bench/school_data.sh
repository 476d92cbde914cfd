# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the class server's benchmarks: load_school makes the layout and
# a school's four years in the database psql reaches (PGHOST, PGDATABASE):
# 30 classes of 30 children ("class-1" ... "class-30", "child-1" ...), a
# sheet every school day for each child (720,000 sheets), the last on
# 2026-12-07, and the teacher login "teacher" for class 7. `started` is set
# when the data begins to load.

load_school() {
psql -X -q -v ON_ERROR_STOP=1 -f "$here/share/varolin/class-server.sql" >/dev/null
started=$EPOCHREALTIME
psql -X -q -v ON_ERROR_STOP=1 <<'EOF'
INSERT INTO varolin.classes (name) SELECT 'class-' || k FROM generate_series(1, 30) k;
INSERT INTO varolin.children (class_id, name)
    SELECT c.id, 'child-' || n FROM varolin.classes c, generate_series(1, 30) n;
CREATE ROLE teacher LOGIN IN ROLE varolin_teacher;
INSERT INTO varolin.class_logins (login, class_id) VALUES ('teacher', 7);

-- 200 answered boards to draw from: facts of the multiplication table, 1.5
-- to 4.5 seconds a cell, a wrong digit in one cell of twenty.
CREATE TEMP TABLE boards AS
    SELECT b, string_agg(
        set_byte(set_byte(set_byte(set_byte(set_byte(set_byte(set_byte(set_byte(
            '\x0000000000000000'::bytea,
            0, cell), 1, l), 2, t), 3, (l * t) % 256),
            4, ms >> 16), 5, (ms >> 8) & 255), 6, ms & 255), 7, wrong),
        '' ORDER BY cell) AS cells
    FROM (SELECT b, cell, 1 + (b + cell / 10) % 9 AS l, 1 + (b * 7 + cell % 10) % 9 AS t,
                 1500 + (random() * 3000)::int AS ms, (random() < 0.05)::int AS wrong
          FROM generate_series(0, 199) b, generate_series(0, 99) cell) cells
    GROUP BY b;

-- 800 school days per child, Monday to Friday, the last on 2026-12-07,
-- after school in Tokyo; the kind changes every few weeks. Four years come
-- in at once, as an administrator restores them: the checks a machine's
-- sheets meet (a day's ceiling among them) are the triggers', left out here.
SET session_replication_role = replica;
INSERT INTO varolin.sheets (uuid, child_id, finished_at, utc_offset, kind, seconds, wrong_digits,
                            record, row_operands, column_operands, cells)
    SELECT gen_random_uuid(), c.id,
           timestamptz '2026-12-07 16:00:00+09' - make_interval(days => (799 - n) / 5 * 7 + (799 - n) % 5)
               + make_interval(mins => (c.id * 7 + n) % 90),
           540, (n / 20 + c.id) % 4, 60 + (c.id * 31 + n * 17) % 240, (n * c.id) % 5, n % 97 = 0,
           '\x0102030405060708090a', decode(repeat('0102030405060708090a', 10), 'hex'), b.cells
    FROM varolin.children c, generate_series(0, 799) n
    JOIN boards b ON b.b = n % 200;
RESET session_replication_role;
VACUUM ANALYZE varolin.sheets;
EOF
}
