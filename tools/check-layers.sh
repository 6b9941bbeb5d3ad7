#!/usr/bin/env bash
# Lists every #include "..." in src/ that points to a folder above its own
# (app > ui > scanner, verify > core, packcode, history, guide, reports > framework > base), or from one pipeline
# into the other. Prints nothing and exits 0 when every include runs downward.
set -euo pipefail
cd "$(dirname "$0")/../src"
rank() {
  case "$1" in
    app) echo 5 ;; ui) echo 4 ;; scanner|verify) echo 3 ;; core) echo 2 ;;
    packcode|history|guide|reports) echo 2 ;;
    framework) echo 1 ;; base|res) echo 0 ;; *) echo 9 ;;
  esac
}
status=0
while IFS=: read -r file _ line; do
  from="${file%%/*}"
  target="$(sed -E 's/.*#include "([^"]+)".*/\1/' <<<"$line")"
  to="${target%%/*}"
  [ "$target" = "$to" ] && continue   # same-folder include
  if [ "$(rank "$to")" -gt "$(rank "$from")" ] || { [ "$(rank "$to")" -eq 3 ] && [ "$from" != "$to" ] && [ "$(rank "$from")" -eq 3 ]; }; then
    echo "upward include: $file -> $target"
    status=1
  fi
done < <(grep -rn '#include "' --include='*.h' --include='*.cpp' .  | sed 's#^\./##')
exit $status
