#!/usr/bin/env bash
# Builds the Debian package of a build folder and checks, in a scratch root made with
# dpkg-deb -x, that every file named by the desktop entry, the systemd user units, the launcher
# and the manual pages is where they say.
#
#   check_package.sh BUILD_DIR OUT_DIR
set -euo pipefail
build=$1
out=$2
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
ok() { echo "ok: $*"; }

rm -rf "$out"
mkdir -p "$out"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >"$out/cpack.log" 2>&1 || {
  cat "$out/cpack.log" >&2
  echo "FAIL: cpack could not make the package" >&2
  exit 1
}
deb=$(ls "$out"/*.deb)
[ "$(echo "$deb" | wc -l)" = 1 ] || { echo "FAIL: expected one package, found: $deb" >&2; exit 1; }
ok "package $(basename "$deb")"
root="$out/root"
dpkg-deb -x "$deb" "$root"

# ---- the control fields ---------------------------------------------------------------------
[ "$(dpkg-deb -f "$deb" Package)" = korval ] || fail "the package is not called korval"
depends=$(dpkg-deb -f "$deb" Depends)
for need in libqt6gui6 libqt6httpserver6 libqt6websockets6 fonts-dejavu-core; do
  case "$depends" in *"$need"*) ok "depends on $need" ;; *) fail "Depends lacks $need: $depends" ;; esac
done

# A path the package names, in the scratch root; /bin and /usr/bin programs of the system are
# allowed where a unit uses them (sleep).
present() { # path, who-says
  local path=$1
  if [ -e "$root$path" ]; then
    ok "$2 names $path"
  elif [ "$path" = /bin/sleep ] && [ -x /bin/sleep ]; then
    ok "$2 names the system's $path"
  else
    fail "$2 names $path, which is not in the package"
  fi
}
executable() {
  present "$1" "$2"
  [ ! -e "$root$1" ] || [ -x "$root$1" ] || fail "$1 ($2) is not executable"
}

# ---- the programs ---------------------------------------------------------------------------
for p in korval korval-replay korval-link korval-demo; do executable /usr/bin/$p "the package"; done
"$root/usr/bin/korval" --version | grep -q '^korval ' || fail "the packaged korval does not run"
"$root/usr/bin/korval-replay" --help >/dev/null 2>&1 || fail "the packaged korval-replay does not run"

# ---- the desktop entry ----------------------------------------------------------------------
desktop="$root/usr/share/applications/korval.desktop"
present /usr/share/applications/korval.desktop "the package"
if [ -f "$desktop" ]; then
  exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
  tryexec=$(sed -n 's/^TryExec=//p' "$desktop")
  icon=$(sed -n 's/^Icon=//p' "$desktop")
  executable "$exec" "the desktop entry's Exec"
  executable "$tryexec" "the desktop entry's TryExec"
  present "/usr/share/icons/hicolor/scalable/apps/$icon.svg" "the desktop entry's Icon"
  grep -q '^Type=Application$' "$desktop" || fail "the desktop entry is no application"
  grep -q '^\[Desktop Entry\]$' "$desktop" || fail "the desktop entry has no [Desktop Entry] group"
fi

# ---- the launcher ---------------------------------------------------------------------------
launcher="$root/usr/libexec/korval/korval-launch"
if [ -f "$launcher" ]; then
  sh -n "$launcher" || fail "the launcher is no valid shell script"
  defaults=$(sed -n "s/^defaults='\(.*\)'$/\1/p" "$launcher")
  present "$defaults/KORVAL.ini" "the launcher"
  present "$defaults/maps/europe.jpg" "the launcher"
  korval=$(sed -n "s/^exec '\([^']*\)'.*/\1/p" "$launcher")
  executable "$korval" "the launcher"
  # Run it against the scratch root's defaults and program: it makes a program folder.
  scratch="$out/launch"
  sed -e "s|^defaults='.*'|defaults='$root$defaults'|" -e "s|^exec '[^']*'|exec '$root$korval'|" "$launcher" >"$out/launch.sh"
  KORVAL_HOME="$scratch" sh "$out/launch.sh" --version >/dev/null 2>&1 || fail "the launcher does not run korval"
  for f in KORVAL.ini waypoints.wdf maps/world.jpg Logs; do
    [ -e "$scratch/$f" ] || fail "the launcher made no $f in the program folder"
  done
  grep -q "MapPath=$scratch/maps/europe.jpg" "$scratch/KORVAL.ini" || fail "the launcher left the map paths unset"
  grep -q '^Listen=127.0.0.1:8080' "$scratch/KORVAL.ini" || fail "the default settings have no web view"
fi

# ---- the systemd user units -----------------------------------------------------------------
for unit in korval.service korval-bridge.service; do
  file="$root/usr/lib/systemd/user/$unit"
  present "/usr/lib/systemd/user/$unit" "the package"
  [ -f "$file" ] || continue
  while read -r program; do
    executable "$program" "$unit"
  done < <(sed -n 's/^ExecStart\(Pre\)\?=[-@+!]*\([^ ]*\).*/\2/p' "$file")
  while read -r page; do
    present "/usr/share/man/man1/$page.1.gz" "$unit's Documentation"
  done < <(sed -n 's/^Documentation=man:\([a-z-]*\)(1)$/\1/p' "$file")
  while read -r named; do
    present "$named" "$unit's text"
  done < <(grep -o '/usr/[A-Za-z0-9/._-]*' "$file" | sort -u)
  grep -q '^Restart=on-failure$' "$file" || fail "$unit does not restart on failure"
  grep -q '^WantedBy=default.target$' "$file" || fail "$unit is not wanted by the user's default target"
done
grep -q '^EnvironmentFile=-%h/.config/korval/bridge.env$' "$root/usr/lib/systemd/user/korval-bridge.service" ||
  fail "the bridge unit reads no environment file"
grep -q '^KORVAL_BRIDGE_ARGS=' "$root/usr/share/korval/bridge.env" || fail "the example environment sets no sources"

# ---- the manual pages -----------------------------------------------------------------------
for page in korval korval-replay korval-link; do
  file="$root/usr/share/man/man1/$page.1.gz"
  present "/usr/share/man/man1/$page.1.gz" "the package"
  [ -f "$file" ] || continue
  text=$(zcat "$file")
  grep -q '^\.TH ' <<<"$text" || fail "$page.1 has no .TH line"
  if command -v groff >/dev/null; then
    warnings=$(zcat "$file" | groff -ww -z -man 2>&1 || true)
    [ -z "$warnings" ] || fail "$page.1: $warnings"
  fi
  # Every installed path the page names (troff's \- is a hyphen).
  while read -r named; do
    present "${named%/}" "$page(1)"
  done < <(sed 's/\\-/-/g' <<<"$text" | grep -o '/usr/[A-Za-z0-9/._-]*' | sort -u)
  while read -r other; do
    present "/usr/share/man/man1/$other.1.gz" "$page(1)'s SEE ALSO"
  done < <(sed 's/\\-/-/g' <<<"$text" | sed -n 's/^\.BR \([a-z-]*\) (1),\?$/\1/p' | sort -u)
done

if [ "$failures" -gt 0 ]; then
  echo "$failures failures" >&2
  exit 1
fi
echo "every file is where the package says"
