# Shared by the PostgreSQL load scripts: a temporary PostgreSQL 15 cluster of their own (as the
# postgres user when run as root), its address in $url, and helpers for loading several
# servers at once. Sourced after common.sh.

pgbin=/usr/lib/postgresql/15/bin
pgdir=$work/pg
mkdir -p "$pgdir"
as_postgres=()
if [[ $(id -u) -eq 0 ]]; then
    chmod o+x "$work" # PostgreSQL runs as postgres, and must reach its folder
    chown postgres "$pgdir"
    as_postgres=(runuser -u postgres --)
fi
pgport=$((20000 + RANDOM % 20000))
"${as_postgres[@]}" "$pgbin/initdb" -D "$pgdir/data" -A trust -U quellan >/dev/null
"${as_postgres[@]}" "$pgbin/pg_ctl" -D "$pgdir/data" -w -l "$pgdir/log" \
    -o "-k $pgdir -p $pgport -c listen_addresses=''" start >/dev/null
stop_postgres() {
    "${as_postgres[@]}" "$pgbin/pg_ctl" -D "$pgdir/data" -m fast -w stop >/dev/null || true
}
trap 'stop_servers; stop_postgres; rm -rf "$work"' EXIT
url="postgresql:///postgres?host=$pgdir&port=$pgport&user=quellan"

# at_once NAME COMMAND...: runs the command once for each server base in $bases at the same
# time, NAME-1, NAME-2 ...; prints the sum of their requests per second.
at_once() {
    local name=$1 i=0 pids=()
    shift
    for b in "${bases[@]}"; do
        i=$((i + 1))
        "$@" "$name-$i" "$b" >"$work/$name-$i.rate" &
        pids+=($!)
    done
    for pid in "${pids[@]}"; do wait "$pid"; done
    cat "$work/$name"-*.rate | awk '{ sum += $1 } END { print sum }'
}

# fill_postgres COUNT: that many verified scores stored behind the servers' backs, counted in
# the first counter row and told to every server as a change to read again.
fill_postgres() {
    psql -q "$url" -c "BEGIN;
        INSERT INTO scores (name, date, score, received_ms, address, deal, moves)
            SELECT 'Filled ' || i, '3/7/05', (random() * 972)::int - 416, 0, '10.0.0.1', i, 'd'
            FROM generate_series(1, $1) i;
        UPDATE score_counts SET sequence = sequence + 1, verified = verified + $1
            WHERE writer = (SELECT min(writer) FROM score_counts);
        SELECT pg_notify('quellan_scores', writer || ' ' || sequence || ' again')
            FROM score_counts WHERE writer = (SELECT min(writer) FROM score_counts);
        COMMIT;" >/dev/null
}
