#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A school's four years on a throwaway PostgreSQL server: 30 classes of 30
# children, a sheet every school day (720,000 sheets), and the questions the
# class view will ask, timed with pgbench as a teacher login (row-level
# security included). Each is given as a ratio to the cheapest question, the
# class roster, timed in the same run on the same server.
#
#   bash bench/class_server.sh [seconds per question, default 10]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-10}
source "$here/tests/server/throwaway_cluster.sh"
source "$here/bench/school_data.sh"
start_cluster -c shared_buffers=256MB -c max_wal_size=4GB -c autovacuum=off
export PGDATABASE=postgres
bin=$(dirname "$(ls -v /usr/lib/postgresql/*/bin/pgbench | tail -n 1)")
work=$(mktemp -d)
trap 'rm -rf "$work"; cluster_stop' EXIT

load_school
loaded=$EPOCHREALTIME
psql -X -At -c "SELECT count(*) || ' sheets, ' || pg_size_pretty(pg_total_relation_size('varolin.sheets'))
                FROM varolin.sheets"
echo "loaded in $(echo "$loaded - $started" | bc) s"

# The questions, as the teacher of class 7 asks them on 2026-12-07.
cat >"$work/roster.sql" <<'EOF'
SELECT id, name FROM varolin.children WHERE class_id = 7 ORDER BY name;
EOF
cat >"$work/weeks.sql" <<'EOF'
SELECT s.child_id, (date '2026-12-07' - s.local_date) / 7 AS week, count(DISTINCT s.local_date)
FROM varolin.children c JOIN varolin.sheets s ON s.child_id = c.id
WHERE c.class_id = 7 AND s.local_date > date '2026-12-07' - 28
GROUP BY 1, 2;
EOF
cat >"$work/latest_best.sql" <<'EOF'
SELECT c.id, k.kind, latest.seconds, best.seconds
FROM varolin.children c CROSS JOIN generate_series(0, 3) AS k (kind)
CROSS JOIN LATERAL (SELECT s.seconds FROM varolin.sheets s WHERE s.child_id = c.id AND s.kind = k.kind
                    ORDER BY s.finished_at DESC LIMIT 1) latest
CROSS JOIN LATERAL (SELECT min(s.seconds) AS seconds FROM varolin.sheets s
                    WHERE s.child_id = c.id AND s.kind = k.kind) best
WHERE c.class_id = 7;
EOF
cat >"$work/trend.sql" <<'EOF'
SELECT c.id, k.kind, array_agg(recent.seconds ORDER BY recent.finished_at)
FROM varolin.children c CROSS JOIN generate_series(0, 3) AS k (kind)
CROSS JOIN LATERAL (SELECT s.seconds, s.finished_at FROM varolin.sheets s
                    WHERE s.child_id = c.id AND s.kind = k.kind
                    ORDER BY s.finished_at DESC LIMIT 10) recent
WHERE c.class_id = 7
GROUP BY 1, 2;
EOF
cat >"$work/weak_facts.sql" <<'EOF'
SELECT get_byte(r.cells, 8 * i + 1) AS left_operand, get_byte(r.cells, 8 * i + 2) AS top_operand,
       count(*), avg(get_byte(r.cells, 8 * i + 4) * 65536 + get_byte(r.cells, 8 * i + 5) * 256
                     + get_byte(r.cells, 8 * i + 6)),
       sum(get_byte(r.cells, 8 * i + 7))
FROM varolin.children c
CROSS JOIN LATERAL (SELECT s.cells FROM varolin.sheets s WHERE s.child_id = c.id AND s.kind = 2
                    ORDER BY s.finished_at DESC LIMIT 10) r
CROSS JOIN LATERAL generate_series(0, length(r.cells) / 8 - 1) AS i
WHERE c.class_id = 7
GROUP BY 1, 2 ORDER BY 1, 2;
EOF
cat >"$work/child_sheets.sql" <<'EOF'
SELECT uuid, finished_at, utc_offset, kind, seconds, wrong_digits, record
FROM varolin.sheets WHERE child_id = 190 ORDER BY finished_at DESC;
EOF

latency() {
    "$bin/pgbench" -n -U teacher -M prepared -T "$seconds" -f "$work/$1.sql" 2>&1 |
        sed -n 's/^latency average = \([0-9.]*\) ms$/\1/p'
}
baseline=$(latency roster)
printf '%-44s %10s %8s\n' question "ms" ratio
printf '%-44s %10.3f %8.2f\n' "class roster (baseline)" "$baseline" 1
for question in weeks:"days practised, last four weeks, per child" \
    latest_best:"latest and best of each kind, per child" \
    trend:"last ten times of each kind, per child" \
    weak_facts:"weak facts, last ten sheets per child" \
    child_sheets:"one child's 800 sheets, newest first"; do
    ms=$(latency "${question%%:*}")
    printf '%-44s %10.3f %8.2f\n' "${question#*:}" "$ms" "$(echo "$ms / $baseline" | bc -l)"
done
