# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced after throwaway_cluster.sh by the tests that need what a school's
# server offers its machines: a TCP port on 127.0.0.1 with TLS (a
# self-signed certificate for "localhost") and SCRAM passwords, while the
# superuser still comes in through the socket. Sets cluster_port and
# cluster_certificate.

# A port nothing listens on yet.
free_port() {
    local port
    for _ in $(seq 50); do
        port=$((20000 + RANDOM % 30000))
        (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || { echo "$port"; return 0; }
    done
    cluster_fail "no free TCP port"
}

start_tcp_cluster() {
    cluster_port=$(free_port)
    start_cluster -c listen_addresses=127.0.0.1 -p "$cluster_port" "$@"
    local data=$cluster_dir/data
    openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 \
        -subj /CN=localhost -addext subjectAltName=DNS:localhost \
        -keyout "$data/server.key" -out "$data/server.crt" 2>/dev/null ||
        cluster_fail "openssl could not make a certificate"
    chmod 600 "$data/server.key"
    chown --reference="$data" "$data/server.key" "$data/server.crt"
    # Every TCP connection encrypted and with a password; no other kind.
    printf '%s\n' 'local all all trust' 'hostssl all all 127.0.0.1/32 scram-sha-256' \
        >"$data/pg_hba.conf"
    psql -X -q -v ON_ERROR_STOP=1 -c "ALTER SYSTEM SET ssl = on" -c "SELECT pg_reload_conf()" \
        >/dev/null
    for _ in $(seq 50); do
        [ "$(psql -X -At -c 'SHOW ssl')" = on ] && break
        sleep 0.1
    done
    [ "$(psql -X -At -c 'SHOW ssl')" = on ] || { cat "$cluster_dir/server.log" >&2; cluster_fail "TLS did not start"; }
    cluster_certificate=$data/server.crt
}
