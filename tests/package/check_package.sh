#!/usr/bin/env bash
# check_package.sh BUILD_DIR: packs the zip, unpacks it into a fresh folder and runs
# "Nagitome.exe /e" from there against a process of its own with a unique image name.
set -euo pipefail
build=$1
[ -n "${NAGITOME_WINE:-}" ] || { echo "run inside scripts/wine-session"; exit 1; }
work=$(mktemp -d)
probe_pid=""
cleanup() { [ -n "$probe_pid" ] && kill "$probe_pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

(cd "$build" && cpack -G ZIP --config CPackConfig.cmake -B "$work/pack" >/dev/null)
zip=$(ls "$work"/pack/Nagitome-*-win64.zip)
mkdir "$work/unpacked"
unzip -q "$zip" -d "$work/unpacked"
[ "$(ls "$work/unpacked" | sort | tr '\n' ' ')" = "Nagitome.exe Readme.txt " ] || { echo "unexpected contents"; ls "$work/unpacked"; exit 1; }
head -c 3 "$work/unpacked/Readme.txt" | od -An -tx1 | grep -q 'ef bb bf' || { echo "Readme.txt lacks its UTF-8 mark"; exit 1; }

# The probe: the program itself under a unique name, showing its window.
name="nagitome-pkg-$$-$RANDOM.exe"
cp "$work/unpacked/Nagitome.exe" "$work/$name"
"$NAGITOME_WINE" "$work/$name" >/dev/null 2>&1 &
probe_pid=$!
sleep 3
kill -0 "$probe_pid" || { echo "probe did not start"; exit 1; }

# Taskkill (1), process name (3), wildcard (0): "1<TAB>3<TAB>0<TAB>name" as UTF-16LE with its mark.
printf '1\t3\t0\t%s\r\n' "$name" | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } > "$work/list.txt"
cd "$work/unpacked"
"$NAGITOME_WINE" ./Nagitome.exe /e "$work/list.txt"
echo "exit code $?"
for _ in $(seq 60); do kill -0 "$probe_pid" 2>/dev/null || { probe_pid=""; echo "probe ended"; exit 0; }; sleep 0.5; done
echo "the probe is still running"
exit 1
