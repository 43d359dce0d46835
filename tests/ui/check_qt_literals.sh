#!/bin/sh
# The Qt translation units of ui/ build with UTF-8 narrow literals, so a
# non-ASCII narrow literal there would reach the core as UTF-8 where CP949
# is meant. Fails listing every such literal (u"", U"", u8"", L"" are fine).
#   check_qt_literals.sh SOURCE_ROOT
set -eu
root=$1
status=0
found=$(mktemp)
for f in $(find "$root/ui/common" "$root/ui/controls" "$root/ui/html/qt" "$root/ui/screenshots" \
                "$root/res/art" "$root/tests/ui/gui" -name '*.cpp' -o -name '*.h' 2>/dev/null); do
  # Comments are left out; a literal is a quote not preceded by u, U, 8 or L.
  if sed 's|//.*||' "$f" | LC_ALL=C grep -nP '(?<![uUL8R])"(?:[^"\\\n]|\\.)*[\x80-\xFF]' >"$found"; then
    sed "s|^|$f:|" "$found"
    status=1
  fi
done
rm -f "$found"
[ $status -eq 0 ] || echo "non-ASCII narrow literals in Qt sources: use u\"...\" or the CP949 helpers" >&2
exit $status
