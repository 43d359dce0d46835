#!/bin/sh
# The installed launcher (packaging/zelkor) in a stand-in tree whose
# programs print what they were started with: the program folder it picks
# and makes, the links it keeps there, the tools started under their own
# names, and the Wayland switch to XWayland.
set -eu

LAUNCHER=$1
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
mkdir -p "$T/usr/bin" "$T/usr/lib/zelkor/agent"
cp "$LAUNCHER" "$T/usr/bin/zelkor"
ln -s zelkor "$T/usr/bin/nubeq-send"
ln -s zelkor "$T/usr/bin/zelkor-print"
for prog in Zelkor nubeq-send zelkor-print; do
    printf '#!/bin/sh\necho "%s home=$ZELKOR_HOME qpa=${QT_QPA_PLATFORM:-} pwd=$(pwd -P) args=$*"\n' \
        "$prog" > "$T/usr/lib/zelkor/$prog"
    chmod +x "$T/usr/lib/zelkor/$prog"
done
touch "$T/usr/lib/zelkor/agent/NUBEQ" "$T/usr/lib/zelkor/agent/NUBEQ_LOG" \
      "$T/usr/lib/zelkor/agent/libNUBEQ_IF.so"
LIB=$(cd "$T/usr/lib/zelkor" && pwd -P)
FAILS=0
expect() { # what got want
    if [ "$2" = "$3" ]; then echo "ok   $1"; else echo "FAIL $1: got [$2], want [$3]"; FAILS=$((FAILS + 1)); fi
}
run() { env -i PATH=/usr/bin:/bin "$@"; }

# First start: ~/.local/share/zelkor made 0700, the program started in it.
HOMEDIR=$T/home
FOLDER=$HOMEDIR/.local/share/zelkor
got=$(run HOME="$HOMEDIR" "$T/usr/bin/zelkor" a b)
expect "first start" "$got" "Zelkor home=$FOLDER qpa= pwd=$(cd "$FOLDER" && pwd -P) args=a b"
expect "folder mode" "$(stat -c %a "$FOLDER")" 700
for file in Zelkor agent/NUBEQ agent/NUBEQ_LOG agent/libNUBEQ_IF.so; do
    expect "link ${file##*/}" "$(readlink "$FOLDER/${file##*/}")" "$LIB/$file"
done

# XDG_DATA_HOME, then ZELKOR_HOME, choose the folder; tools under their names.
got=$(run HOME="$HOMEDIR" XDG_DATA_HOME="$T/xdg" "$T/usr/bin/nubeq-send" 36001 f)
expect "XDG_DATA_HOME, nubeq-send" "$got" "nubeq-send home=$T/xdg/zelkor qpa= pwd=$(cd "$T/xdg/zelkor" && pwd -P) args=36001 f"
got=$(run HOME="$HOMEDIR" ZELKOR_HOME="$T/own" "$T/usr/bin/zelkor-print" 36105 s)
expect "ZELKOR_HOME, zelkor-print" "$got" "zelkor-print home=$T/own qpa= pwd=$(cd "$T/own" && pwd -P) args=36105 s"

# Wayland: XWayland unless the platform was chosen; never for the tools.
for case in "WAYLAND_DISPLAY=wayland-0|zelkor|xcb" "XDG_SESSION_TYPE=wayland|zelkor|xcb" \
            "XDG_SESSION_TYPE=x11|zelkor|" "WAYLAND_DISPLAY=wayland-0|nubeq-send|"; do
    var=${case%%|*}
    rest=${case#*|}
    got=$(run HOME="$HOMEDIR" "$var" "$T/usr/bin/${rest%|*}" | sed 's/.*qpa=\([^ ]*\) .*/\1/')
    expect "$var ${rest%|*}" "$got" "${rest#*|}"
done
got=$(run HOME="$HOMEDIR" WAYLAND_DISPLAY=wayland-0 QT_QPA_PLATFORM=offscreen "$T/usr/bin/zelkor" |
      sed 's/.*qpa=\([^ ]*\) .*/\1/')
expect "chosen platform kept" "$got" offscreen

# zelkor-tools removed: its dangling links go; a vendor's own file stays.
rm "$T/usr/lib/zelkor/agent/libNUBEQ_IF.so" "$T/usr/lib/zelkor/agent/NUBEQ_LOG"
rm "$FOLDER/NUBEQ_LOG"
echo vendor > "$FOLDER/NUBEQ_LOG"
run HOME="$HOMEDIR" "$T/usr/bin/zelkor" > /dev/null
expect "dangling link removed" "$(ls -A "$FOLDER" | tr '\n' ' ')" "NUBEQ NUBEQ_LOG Zelkor "
expect "vendor file kept" "$(cat "$FOLDER/NUBEQ_LOG")" vendor

# No HOME and no XDG_DATA_HOME: refused with a reason.
if run "$T/usr/bin/zelkor" > "$T/out" 2>&1; then rc=0; else rc=$?; fi
expect "no HOME refused" "$rc:$(grep -c 'neither HOME nor XDG_DATA_HOME' "$T/out")" "2:1"

[ $FAILS -eq 0 ]
