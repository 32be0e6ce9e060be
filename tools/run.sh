#!/usr/bin/env bash
# Builds KORVAL and starts it on its bundled defaults, fed with demo traffic by stand-in decoders.
#
#   bash tools/run.sh
#
# The program folder is $KORVAL_HOME, else $HOME/.local/share/korval. What it lacks of the
# defaults in data/ (settings, data files, maps, a Logs folder) is put there; files already there
# are never overwritten. With a display ($DISPLAY or $WAYLAND_DISPLAY) KORVAL opens its windows;
# without one it runs headless, map snapshots of the demo traffic are written first, and the web
# view serves the maps, messages and aircraft on http://127.0.0.1:8080/.
set -euo pipefail
cd "$(dirname "$0")/.."

say() { echo "run.sh: $*"; }
fail() {
  echo "run.sh: $*" >&2
  exit 1
}

# ---- build ---------------------------------------------------------------------------------------
bash tools/deps.sh
build=build/release
cmake --preset release >/dev/null
cmake --build "$build" -j"$(nproc)" --target korval korval-link korval-demo korval-replay
korval=$build/src/app/korval
link=$build/src/app/korval-link
demo=$build/src/app/korval-demo
replay=$build/src/app/korval-replay

# ---- program folder ------------------------------------------------------------------------------
home=${KORVAL_HOME:-$HOME/.local/share/korval}
mkdir -p "$home/Logs" "$home/maps" || fail "cannot make the program folder $home"
home=$(cd "$home" && pwd)
if [ ! -e "$home/KORVAL.ini" ]; then
  # The map paths of the defaults name this folder.
  ini=$(<data/KORVAL.ini)
  printf '%s\n' "${ini//@HOME@/$home}" >"$home/KORVAL.ini"
  say "settings written to $home/KORVAL.ini"
fi
for f in data/*.wdf data/*.jpg data/maps/*; do
  target="$home/${f#data/}"
  [ -e "$target" ] || cp "$f" "$target"
done

# ---- demo traffic --------------------------------------------------------------------------------
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

epoch=$(date -u +%s)
now=$(date -u -d "@$epoch" +%H%M)
today=$(date -u -d "@$epoch" +%F)
traffic="$work/traffic.jsonl"
"$demo" --template data/demo/traffic.tmpl --now "$now" --date "$today" >"$traffic" ||
  fail "korval-demo could not render data/demo/traffic.tmpl"
say "demo traffic for $today $now UTC: $(grep -c '"source"' "$traffic") messages"

# ---- stand-in decoders ---------------------------------------------------------------------------
# Airmaster publishes the ACARS messages; PC-HFDL the HFDL records and HF ACARS messages on two
# topics. Each server starts publishing when KORVAL links to it.
serve() { # topic, source
  "$link" serve --topic "$1" --input "$traffic" --rate 5 --source "$2" 2>>"$work/link.log" &
  pids+=($!)
}
serve "WinACARS|ACARS" airmaster
serve "PCHFDL|HFDL" hfdl
serve "PCHFDL|ACARS" hfacars
sleep 1
for p in "${pids[@]}"; do
  kill -0 "$p" 2>/dev/null || {
    cat "$work/link.log" >&2
    fail "a stand-in decoder stopped at once (is another KORVAL demo still running?)"
  }
done

# ---- KORVAL --------------------------------------------------------------------------------------
say "logs: $home/Logs (daily position log KorvalLog DDMMYY.wdf, error log \"ErrorLog .txt\")"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  say "starting KORVAL on $home; the demo traffic arrives over the next minute or so"
  "$korval" --home "$home"
else
  # The traffic run through a copy of the folder (its logs stay apart), maps drawn at the end.
  shots="$home/Snapshots"
  mkdir -p "$shots" "$work/home/Logs"
  cp "$home"/*.ini "$home"/*.wdf "$work/home/"
  first=$(sed -n '1s/.*"utc": "\([0-9]\{4\}\)".*/\1/p' "$traffic")
  stamp=$(date -u -d "@$epoch" +%Y%m%d-%H%M)
  "$replay" --home "$work/home" --input "$traffic" ${first:+--utc "$first"} \
    --snapshot 1="$shots/$stamp-map1.jpg" --snapshot 2="$shots/$stamp-map2.jpg" \
    --snapshot 3="$shots/$stamp-map3.jpg" >/dev/null || fail "korval-replay could not draw the snapshots"
  say "map snapshots after the demo traffic: $shots/$stamp-map{1,2,3}.jpg"
  web=127.0.0.1:8080
  say "no display: starting KORVAL headless on $home (Ctrl+C ends it)"
  say "web view: http://$web/ on this machine (from another one: ssh -L 8080:$web THIS-MACHINE)"
  "$korval" --headless --home "$home" --http "$web"
fi
