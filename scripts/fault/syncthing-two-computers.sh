#!/usr/bin/env bash
# Two computers sharing one data folder through Syncthing, on this one: two Syncthing instances, each with its own
# home and folder, joined on 127.0.0.1 only (listening, GUI and the devices' addresses; discovery, relays, NAT
# traversal, upgrades, usage and crash reporting all off, so nothing leaves the loopback). Copies of the program
# on each side (tools/coffernote_copy, and tests/savetool for the form encrypted with a login) go through the
# cases of a folder kept in step, and each case prints what happened: the accounts on each side, whether the
# damaged-data question was asked, and whether a copy said "saved" for an account that is then on neither side
# or only one.
#   scripts/fault/syncthing-two-computers.sh [--strict] [CASE...]
# Cases: overwrite partial live conflict lock encrypted (all by default). Exits non-zero only with --strict, when a
# case failed (or when the harness itself fails). Needs syncthing, curl and jq, and the build's coffernote_copy and
# savetool (cmake --build build --target coffernote_copy savetool).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${COFFERNOTE_BUILD_DIR:-$here/build}"
copy="${COFFERNOTE_COPY_TOOL:-$build/tools/coffernote_copy}"
savetool="$build/tests/savetool"
strict=0
[[ "${1:-}" == --strict ]] && strict=1 && shift
cases=("$@")
((${#cases[@]})) || cases=(overwrite partial live conflict lock encrypted)
for tool in "$copy" "$savetool"; do [[ -x "$tool" ]] || { echo "not built: $tool" >&2; exit 2; }; done
for p in syncthing curl jq; do command -v "$p" >/dev/null || { echo "missing: $p" >&2; exit 2; }; done

started=$SECONDS
work="$(mktemp -d /tmp/coffernote-syncthing.XXXXXX)"
pids=()
stop() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    [[ -n "${COFFERNOTE_SYNC_KEEP:-}" ]] && echo "kept: $work" || rm -rf "$work"
}
trap stop EXIT
trap 'exit 130' INT TERM
export STNOUPGRADE=1 STNODEFAULTFOLDER=1 STNORESTART=1
# The copies' own temporary and runtime folders, as a desktop session gives them.
mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR="$work/run" TMPDIR="$work"

free_ports() { # count
    python3 -c 'import socket,sys
s=[socket.socket() for _ in range(int(sys.argv[1]))]
for x in s: x.bind(("127.0.0.1",0))
print(" ".join(str(x.getsockname()[1]) for x in s))' "$1"
}
read -r gui_a gui_b sync_a sync_b < <(free_ports 4)
declare -A gui=([a]=$gui_a [b]=$gui_b) port=([a]=$sync_a [b]=$sync_b) id key data
fid="" folders=0

for side in a b; do
    id[$side]=$(syncthing generate --home="$work/$side/home" --no-default-folder 2>&1 | sed -n 's/.*Device ID: *//p')
    [[ -n "${id[$side]}" ]] || { echo "syncthing generate gave no device id" >&2; exit 2; }
    key[$side]=$(head -c 24 /dev/urandom | base64 | tr -d '/+=')
done
for side in a b; do
    other=$([[ $side == a ]] && echo b || echo a)
    cat >"$work/$side/home/config.xml" <<EOF
<configuration version="36">
    <device id="${id[$side]}" name="$side"><address>dynamic</address></device>
    <device id="${id[$other]}" name="$other"><address>tcp://127.0.0.1:${port[$other]}</address></device>
    <gui enabled="true" tls="false"><address>127.0.0.1:${gui[$side]}</address><apikey>${key[$side]}</apikey></gui>
    <options>
        <listenAddress>tcp://127.0.0.1:${port[$side]}</listenAddress>
        <globalAnnounceEnabled>false</globalAnnounceEnabled>
        <localAnnounceEnabled>false</localAnnounceEnabled>
        <relaysEnabled>false</relaysEnabled>
        <natEnabled>false</natEnabled>
        <stunKeepaliveStartS>0</stunKeepaliveStartS>
        <stunKeepaliveMinS>0</stunKeepaliveMinS>
        <announceLANAddresses>false</announceLANAddresses>
        <startBrowser>false</startBrowser>
        <urAccepted>-1</urAccepted>
        <autoUpgradeIntervalH>0</autoUpgradeIntervalH>
        <crashReportingEnabled>false</crashReportingEnabled>
        <reconnectionIntervalS>1</reconnectionIntervalS>
    </options>
</configuration>
EOF
    syncthing serve --home="$work/$side/home" --no-browser --no-restart --no-upgrade --logflags=3 \
        >"$work/$side/syncthing.log" 2>&1 &
    pids+=($!)
done

rest() { # side method path [curl options...]
    curl -sf -X "$2" -H "X-API-Key: ${key[$1]}" "http://127.0.0.1:${gui[$1]}/rest/$3" "${@:4}"
}
until_true() { # seconds command...: polls every 0.1 s
    local end=$((SECONDS + $1))
    shift
    until "$@" 2>/dev/null; do
        ((SECONDS < end)) || return 1
        sleep 0.1
    done
}
connected() {
    [[ $(rest a GET system/connections | jq -r --arg d "${id[b]}" '.connections[$d].connected') == true ]] &&
        [[ $(rest b GET system/connections | jq -r --arg d "${id[a]}" '.connections[$d].connected') == true ]]
}
idle() { # side
    local status
    status=$(rest "$1" GET "db/status?folder=$fid")
    [[ $(jq -r '.state' <<<"$status") == idle && $(jq -r '.needTotalItems' <<<"$status") == 0 ]]
}
# The files of a folder (but Syncthing's own), with their hashes.
hashes() { (cd "${data[$1]}" && find . -type f ! -path './.stfolder*' ! -name '.syncthing.*' -print0 | sort -z |
    xargs -0r sha256sum); }
same() { idle a && idle b && [[ "$(hashes a)" == "$(hashes b)" ]]; }
wait_same() { until_true "${1:-20}" same || { echo "  (the two folders did not come to the same files)"; return 0; }; }
pause() {
    rest a POST "system/pause?device=${id[b]}" >/dev/null
    rest b POST "system/pause?device=${id[a]}" >/dev/null
}
resume() {
    # Each side has taken in its own changes first, as two computers apart for a while would have.
    rest a POST "db/scan?folder=$fid" >/dev/null
    rest b POST "db/scan?folder=$fid" >/dev/null
    rest a POST "system/resume?device=${id[b]}" >/dev/null
    rest b POST "system/resume?device=${id[a]}" >/dev/null
    until_true 30 connected || { echo "the two instances did not reconnect" >&2; exit 2; }
}
# A copy of the program on one side: coffernote_copy MODE FOLDER ARGS (hold, save, seed, check).
run() { # side mode args...
    local side=$1 mode=$2
    shift 2
    "$copy" "$mode" "${data[$side]}" "$@"
}
# A new shared folder for each case, so that no case inherits the versions an earlier one left (Syncthing keeps
# each file's history per folder): its id in fid, its paths in data.
new_folder() {
    local side
    folders=$((folders + 1))
    fid="coffernote-$folders"
    for side in a b; do
        data[$side]="$work/$side/data-$folders"
        mkdir -p "${data[$side]}"
        rest "$side" PUT "config/folders/$fid" -H 'Content-Type: application/json' -d "$(jq -n \
            --arg id "$fid" --arg path "${data[$side]}" --arg a "${id[a]}" --arg b "${id[b]}" \
            '{id: $id, label: $id, path: $path, type: "sendreceive", rescanIntervalS: 1, fsWatcherEnabled: true,
              fsWatcherDelayS: 1, maxConflicts: 10, devices: [{deviceID: $a}, {deviceID: $b}]}')" >/dev/null
    done
    until_true 30 same || { echo "the new shared folder did not come up on both sides" >&2; exit 2; }
}
# A new folder on side A, carried to B: N seeded accounts, nothing else.
put_on_a() { # accounts
    new_folder
    run a seed "$1" >/dev/null
    wait_same 20
}

answers() { rest "$1" GET system/ping >/dev/null; }
until_true 30 answers a && until_true 30 answers b || { echo "Syncthing did not start" >&2; exit 2; }
# A dial made before the other side listened waits for its next round: a resume dials at once.
until_true 5 connected || resume
echo "two Syncthing instances on 127.0.0.1 (sync ports ${port[a]}, ${port[b]}) connected in $((SECONDS - started)) s"

declare -A result
questions=0 false_saved=0
# The names of the list missing on either side (after a check of each into $work/a.check and b.check), and where.
on_both() { # names...
    local name side missing=""
    for side in a b; do
        for name in "$@"; do
            grep -qx "account $name" "$work/$side.check" || missing+=" $name (on $side)"
        done
    done
    echo "${missing:-}"
}
report() { # case, names that must be on both sides, outputs of copies that may have said saved...
    local c=$1 names=$2 out n
    shift 2
    wait_same 20
    run a check >"$work/a.check" 2>&1 || true
    run b check >"$work/b.check" 2>&1 || true
    questions=$(cat "$work"/*.out "$work/a.check" "$work/b.check" 2>/dev/null | grep -c '^question\|^QUESTION' || true)
    false_saved=0
    for out in "$@"; do
        n=$(sed -n 's/^# name //p' "$out")
        grep -qx 'saved' "$out" && [[ -n "$(on_both "$n")" ]] && false_saved=$((false_saved + 1))
    done
    local missing
    # shellcheck disable=SC2086 # one word per name
    missing=$(on_both $names)
    echo "  side A: $(sed -n 's/^account //p' "$work/a.check" | sort | tr '\n' ',' | sed 's/,$//')"
    echo "  side B: $(sed -n 's/^account //p' "$work/b.check" | sort | tr '\n' ',' | sed 's/,$//')"
    local conflicts
    conflicts=$(find "${data[a]}" "${data[b]}" -name '*sync-conflict*' | tee "$work/conflicts" | wc -l)
    echo "  damaged-data question asked: $questions; false \"saved\": $false_saved; conflict copies: $conflicts"
    sed "s|^$work/|    conflict copy: |" "$work/conflicts"
    [[ -n "$missing" ]] && echo "  missing:$missing"
    if [[ -z "$missing" && $questions -eq 0 && $false_saved -eq 0 && $conflicts -eq 0 ]]; then
        result[$c]=PASS
    else
        result[$c]=FAIL
    fi
    rm -f "$work"/*.out
}
# Starts a copy on a side in the background that saves NAME once PATH exists; its output goes to OUT.
save_later() { # side name go out; its process id in later
    { echo "# name $2"; COFFERNOTE_COPY_WAIT_FOR="$3" run "$1" save "$2"; } >"$4" 2>&1 &
    later=$!
}
save_now() { # side name out
    { echo "# name $2"; run "$1" save "$2"; } >"$3" 2>&1 || true
}

# B is running; A adds Kilo while the two are apart; they reconnect; B adds Lima.
case_overwrite() {
    put_on_a 8
    save_later b Lima "$work/go" "$work/b-lima.out"
    sleep 1 # B has loaded its list
    pause
    save_now a Kilo "$work/a-kilo.out"
    resume
    wait_same 20
    touch "$work/go"
    wait "$later" || true
    rm -f "$work/go"
    report overwrite "Kilo Lima" "$work/a-kilo.out" "$work/b-lima.out"
}

# settings.dat has arrived on B, config.dat (its stamp) not yet; B starts. A holds its config.dat back (an ignore
# pattern on the sending side, so that B's copy of it stays an older version and no conflict is made of it).
case_partial() {
    put_on_a 8
    rest a POST "db/ignores?folder=$fid" -d '{"ignore":["config.dat"]}' >/dev/null
    save_now a Mike "$work/a-mike.out"
    until_true 20 cmp -s "${data[a]}/settings.dat" "${data[b]}/settings.dat" || true
    run b check >"$work/b-start.out" 2>&1 || true
    rest a POST "db/ignores?folder=$fid" -d '{"ignore":[]}' >/dev/null
    rest a POST "db/scan?folder=$fid" >/dev/null
    report partial "Mike" "$work/a-mike.out"
}

# Every one of a row of saves on A while B starts and reads over and over: B must never see half a save.
case_live() {
    put_on_a 8
    local i empty reads
    touch "$work/reading"
    (
        empty=0 reads=0
        while [[ -e "$work/reading" ]]; do
            run b check >"$work/b-read.check" 2>&1 || echo "exit status $?" >>"$work/b-read.check"
            reads=$((reads + 1))
            grep -q '^question' "$work/b-read.check" && cp "$work/b-read.check" "$work/b-read-$reads.out"
            grep -q '^account ' "$work/b-read.check" || { empty=$((empty + 1)); cp "$work/b-read.check" "$work/b-read-$reads.empty"; ls -la --time-style=full-iso "${data[b]}" >>"$work/b-read-$reads.empty"; }
        done
        echo "$reads $empty" >"$work/reads"
    ) &
    local reader=$!
    for i in 1 2 3 4 5 6 7 8 9 10; do
        save_now a "Live_$i" "$work/a-live-$i.out"
        sleep 0.3
    done
    wait_same 20
    rm -f "$work/reading"
    wait "$reader" || true
    read -r reads empty <"$work/reads"
    echo "  B started and read $reads times while A saved; an empty list seen: $empty times"
    for i in "$work"/b-read-*.empty; do [[ -e "$i" ]] && sed 's/^/    what B saw: /' "$i"; done
    rm -f "$work"/b-read-*.empty
    report live "$(for i in 1 2 3 4 5 6 7 8 9 10; do printf 'Live_%s ' "$i"; done)" "$work"/a-live-*.out
    ((empty == 0)) || result[live]=FAIL
}

# Both computers add while apart.
case_conflict() {
    put_on_a 8
    pause
    save_now a November "$work/a-november.out"
    save_now b Oscar "$work/b-oscar.out"
    resume
    sleep 2 # any conflict copy is made by now
    report conflict "November Oscar" "$work/a-november.out" "$work/b-oscar.out"
}

# A copy runs on each side: nothing of A's lock travels to B or back. A second copy on A is refused; the running
# copy on A saves; then B saves.
case_lock() {
    put_on_a 8
    save_later a Papa "$work/go" "$work/a-papa.out"
    local papa=$later hold second lockfiles
    mkfifo "$work/hold-b"
    run b hold <"$work/hold-b" >"$work/b-hold.txt" 2>&1 &
    hold=$!
    exec 7>"$work/hold-b" # B's copy runs until this closes
    sleep 3 # two rescans: anything of either lock has travelled
    second=$(run a save Second 2>&1 | head -1 || true)
    echo "  second copy on A: $second"
    touch "$work/go"
    wait "$papa" || true
    wait_same 20
    exec 7>&-
    wait "$hold" || true
    rm -f "$work/go" "$work/hold-b"
    grep -qx held "$work/b-hold.txt" || echo "  B's copy did not start: $(head -1 "$work/b-hold.txt")"
    save_now b Quebec "$work/b-quebec.out"
    lockfiles=$(find "${data[a]}" "${data[b]}" -name '.coffernote.lock' | wc -l)
    echo "  A's running copy: $(grep -v '^#' "$work/a-papa.out" | tr '\n' ' ')"
    echo "  .coffernote.lock files in the two folders: $lockfiles"
    report lock "Papa Quebec" "$work/a-papa.out" "$work/b-quebec.out"
    [[ $second == "message Coffernote is already running.  " && $lockfiles -eq 0 ]] &&
        grep -qx held "$work/b-hold.txt" || result[lock]=FAIL
}

# The form encrypted with a login: as overwrite.
case_encrypted() {
    export COFFERNOTE_SAVETOOL_LOGIN=user,secret,1234
    new_folder
    "$savetool" create "${data[a]}" 8 >/dev/null
    wait_same 20
    { echo "# name Lima"; COFFERNOTE_SAVETOOL_WAIT_FOR="$work/go" "$savetool" add "${data[b]}" Lima; } \
        >"$work/b-lima.out" 2>&1 &
    local lima=$!
    sleep 1
    pause
    { echo "# name Kilo"; "$savetool" add "${data[a]}" Kilo; } >"$work/a-kilo.out" 2>&1 || true
    resume
    wait_same 20
    touch "$work/go"
    wait "$lima" || true
    rm -f "$work/go"
    wait_same 20
    "$savetool" list "${data[a]}" >"$work/a.check" 2>&1 || true
    "$savetool" list "${data[b]}" >"$work/b.check" 2>&1 || true
    questions=$(cat "$work"/*.out "$work/a.check" "$work/b.check" | grep -c '^QUESTION' || true)
    false_saved=0
    local out
    for out in "$work/a-kilo.out" "$work/b-lima.out"; do
        grep -qx saved "$out" && [[ -n "$(on_both "$(sed -n 's/^# name //p' "$out")")" ]] &&
            false_saved=$((false_saved + 1))
    done
    local missing
    missing=$(on_both Kilo Lima)
    echo "  side A: $(sed -n 's/^account //p' "$work/a.check" | sort | tr '\n' ',' | sed 's/,$//')"
    echo "  side B: $(sed -n 's/^account //p' "$work/b.check" | sort | tr '\n' ',' | sed 's/,$//')"
    echo "  damaged-data question asked: $questions; false \"saved\": $false_saved"
    sed "s|^$work/|    conflict copy: |" "$work/conflicts"
    [[ -n "$missing" ]] && echo "  missing:$missing"
    [[ -z "$missing" && $questions -eq 0 && $false_saved -eq 0 ]] && result[encrypted]=PASS || result[encrypted]=FAIL
    rm -f "$work"/*.out
    unset COFFERNOTE_SAVETOOL_LOGIN
}

for c in "${cases[@]}"; do
    declare -F "case_$c" >/dev/null || { echo "no such case: $c" >&2; exit 2; }
    echo "case $c:"
    t=$SECONDS
    "case_$c"
    echo "  ${result[$c]} ($((SECONDS - t)) s)"
done

failed=0
echo "summary ($((SECONDS - started)) s):"
for c in "${cases[@]}"; do
    echo "  $c: ${result[$c]}"
    [[ ${result[$c]} == PASS ]] || failed=1
done
((strict && failed)) && exit 1
exit 0
