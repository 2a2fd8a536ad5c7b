#!/usr/bin/env bash
# The include rule's check on small source trees of its own: a file that includes a file of a
# folder above its own is refused in every spelling of the include, for every pair of folders
# the layers forbid; what the layers allow passes, and so does the real source tree.
#   Includeruletest.sh <Includerule.cmake> <source root> [cmake]
set -euo pipefail
rule=$1
real_src=$2
cmake=${3:-cmake}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

folders=(platform common link device panel service zcomponents link/ui panel/ui service/ui app flashlib)
# What each folder may include besides itself (the layers of the house plan).
declare -A below=(
  [platform]=""
  [common]="platform"
  [link]="platform common"
  [device]="platform common link"
  [panel]="platform common link device"
  [service]="platform common link device panel"
  [zcomponents]="platform"
  [link/ui]="platform common link zcomponents"
  [panel/ui]="platform common link device panel zcomponents link/ui"
  [service/ui]="platform common link device panel service zcomponents link/ui panel/ui"
  [app]="platform common link device panel service zcomponents link/ui panel/ui service/ui"
  [flashlib]="platform common link device panel service"
)

# A fresh tree: one header in every folder, and a file that includes nothing of ours.
tree=0
new_tree() {
  local d
  tree=$((tree + 1))
  root="$work/t$tree/src"
  for d in "${folders[@]}"; do
    mkdir -p "$root/$d"
    printf '#pragma once\n#include <string>\n' >"$root/$d/Part.h"
    printf '#include "Part.h"\n#include <vector>\n' >"$root/$d/Part.cpp"
  done
}
check() { # expected (holds|broken), root, what
  local out rc=0
  out=$("$cmake" -DSRC="$2" -P "$rule" 2>&1) || rc=$?
  if [ "$1" = holds ] && [ $rc -ne 0 ]; then fail "$3: refused: $out"; fi
  if [ "$1" = broken ] && [ $rc -eq 0 ]; then fail "$3: passed"; fi
  if [ "$1" = broken ] && ! grep -q "$4" <<<"$out"; then fail "$3: the refusal does not name $4: $out"; fi
  return 0
}
# ../ from a folder back to the source root.
up_of() { local f=$1 up="../"; [[ $f == */* ]] && up="../../"; printf '%s' "$up"; }

new_tree
check holds "$root" "a tree that keeps the rule"
check holds "$real_src" "the source tree"

# Every pair of folders: allowed pairs pass, the others are refused (quoted, from the root).
for f in "${folders[@]}"; do
  for g in "${folders[@]}"; do
    [ "$f" = "$g" ] && continue
    new_tree
    printf '#include "%s/Part.h"\n' "$g" >>"$root/$f/Part.cpp"
    if [[ " ${below[$f]} " == *" $g "* ]]; then
      check holds "$root" "$f including $g"
    else
      check broken "$root" "$f including $g" "$f/Part.cpp"
    fi
  done
done

# Every spelling of one include of a folder above: the window folders and the lowest layers.
for pair in "link service/ui" "device panel" "link device" "panel service" "platform common" \
            "link/ui panel/ui" "panel/ui service/ui" "zcomponents link/ui" "common link/ui"; do
  read -r f g <<<"$pair"
  up=$(up_of "$f")
  spellings=(
    "#include \"$g/Part.h\""
    "#include <$g/Part.h>"
    "#include \"$up$g/Part.h\""
    "#include \"./$up$g/Part.h\""
    "#include \"$up$f/$up$g/Part.h\""
    "#  include \"$g/Part.h\""
    "    #include \"$g/Part.h\""
    "	#	include	<$g/Part.h>"
    "# include<$g/Part.h>"
    "#include\"$g/Part.h\" // a comment [with brackets]"
    "#include \"$g/Part.h\"  /* more */"
  )
  for s in "${spellings[@]}"; do
    for file in Part.cpp Part.h; do
      new_tree
      printf '%s\n' "$s" >>"$root/$f/$file"
      check broken "$root" "$f/$file with: $s" "$f/$file"
    done
  done
done

# A relative include of a file in a folder allowed, and of one beside it, passes.
new_tree
printf '#include "../../panel/Part.h"\n#include "../Part.h"\n#include "./Part.h"\n' >>"$root/panel/ui/Part.cpp"
check holds "$root" "relative includes the layers allow"

# A quoted name is looked for beside the including file first, as the compiler does.
new_tree
printf '#include "ui/Part.h"\n' >>"$root/link/Part.cpp"
check broken "$root" "link including its window folder by a name beside it" "link/Part.cpp"

# A file outside the source folders, an unknown folder, Qt in a logic folder.
new_tree
mkdir -p "$work/t$tree/tools"
printf '#pragma once\n' >"$work/t$tree/tools/Other.h"
printf '#include "../../tools/Other.h"\n' >>"$root/device/Part.cpp"
check broken "$root" "device including a file outside src" "outside the source folders"
new_tree
mkdir -p "$root/extra"
printf '#include "common/Part.h"\n' >"$root/extra/Odd.cpp"
check broken "$root" "a folder with no layer" "extra/Odd.cpp"
for f in platform common link device panel service flashlib; do
  for q in "<QWidget>" "<QtWidgets/QWidget>" "<QString>" "\"QObject\""; do
    new_tree
    printf '#include %s\n' "$q" >>"$root/$f/Part.h"
    check broken "$root" "$f including $q" "$f/Part.h"
  done
done
new_tree
printf '#include <QWidget>\n' >>"$root/panel/ui/Part.h"
printf '#include <QString>\n' >>"$root/zcomponents/Part.h"
check holds "$root" "Qt in the window folders and the components"

echo "include rule: every spelling and every forbidden pair refused"
