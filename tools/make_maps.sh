#!/usr/bin/env bash
# Regenerates the default background maps in data/maps from Natural Earth country polygons
# (public domain), which the npm package world-atlas carries as TopoJSON: the land and coast
# come from its merged "land" object, the thin country borders from "countries".
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && npm install --silent --no-audit --no-fund world-atlas@2 >/dev/null)
topo="$work/node_modules/world-atlas/countries-50m.json"
cmake -S . -B build/mapgen -DCMAKE_BUILD_TYPE=Release -DKORVAL_BENCH=OFF >/dev/null
cmake --build build/mapgen --target korval-mapgen -j"$(nproc)" >/dev/null
gen=build/mapgen/tools/mapgen/korval-mapgen
mkdir -p data/maps
# name        width height   N     S     W     E   (frames also in data/KORVAL.ini)
"$gen" "$topo" data/maps/europe.jpg    1600 1000   64    34   -16    34
"$gen" "$topo" data/maps/atlantic.jpg  1600 1000   68    36   -72    -4
"$gen" "$topo" data/maps/world.jpg     1800  900   90   -90  -180   180
echo "maps written to data/maps"
