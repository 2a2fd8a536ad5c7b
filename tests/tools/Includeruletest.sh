#!/usr/bin/env bash
# The include rule's check on a small project of its own, built with Ninja: one library per
# folder of the layers, each with a header and a source, and the rule set up as the real build
# sets it up (tools/Includerule.cmake). Each case changes the tree, builds it and expects the
# build to pass or the rule to stop it naming the file and what it read: every pair of folders
# the layers forbid or allow, a header read only by a folder above its own, the other files of a
# folder that a file may include (read by none), links, files outside the layers, generated
# headers, Qt in a folder without it, and forms of an include that only the compiler decides
# (read or skipped).
#   Includeruletest.sh <tools folder> [cmake] [C++ compiler] [ninja]
set -euo pipefail
rule_dir=$(cd "$1" && pwd)
cmake=${2:-cmake}
cxx=${3:-c++}
ninja=${4:-ninja}

work=${ORRERY_RULE_WORK:-$(mktemp -d)}
[ -n "${ORRERY_RULE_WORK:-}" ] || trap 'rm -rf "$work"' EXIT
top=$work/tree
gen=$work/gen  # an include folder outside the tree and the build folder
build=$top/build

fail() { echo "FAIL: $*" >&2; exit 1; }

folders=(platform common link device panel service zcomponents link/ui panel/ui service/ui app flashlib
         tools/simunit tools/soak)
qt_folders=" zcomponents link/ui panel/ui service/ui app "
# What each folder may read besides itself (the layers of the house plan).
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
  [tools/simunit]="platform common link device"
  [tools/soak]="platform common link device tools/simunit"
)
dir_of() { if [[ $1 == tools/* ]]; then printf 'tools/%s' "${1#tools/}"; else printf 'src/%s' "$1"; fi; }
# The name by which a folder's header is included (the include folders are src and tools).
name_of() { printf '%s/Part.h' "${1#tools/}"; }
ident() { printf '%s' "${1//\//_}"; }

# The tree as every case starts from it: each folder's header and source read only each other.
# Only what a case changed is written again, so that a build compiles only that.
write() { # path, text
  [ -f "$1" ] && [ ! -L "$1" ] && [ "$(cat "$1")" = "$(printf '%b' "$2")" ] && return 0
  rm -f "$1"
  printf '%b' "$2" >"$1"
}
reset_tree() {
  local f d
  rm -rf "$top/elsewhere"
  mkdir -p "$gen" "$build/gen"
  rm -f "$gen"/* "$build"/gen/*
  if [ -d "$top/src" ]; then
    find "$top/src" "$top/tools" \( -type f -o -type l \) ! -name Part.h ! -name Part.cpp -delete
    find "$top/src" "$top/tools" -mindepth 1 -type d -empty -delete
  fi
  for f in "${folders[@]}"; do
    d=$top/$(dir_of "$f")
    mkdir -p "$d"
    write "$d/Part.h" "#pragma once\nint part_$(ident "$f")();\n"
    write "$d/Part.cpp" "#include \"Part.h\"\nint part_$(ident "$f")() { return 0; }\n"
  done
}
put() { mkdir -p "$(dirname "$top/$1")"; printf '%b' "$2" >"$top/$1"; }  # file under the tree, text with escapes
add() { printf '%b' "$2" >>"$top/$1"; }

mkdir -p "$top"
{
  echo 'cmake_minimum_required(VERSION 3.25)'
  echo 'project(IncludeRuleProbe LANGUAGES CXX)'
  echo 'set(CMAKE_CXX_STANDARD 20)'
  echo 'set(CMAKE_CXX_STANDARD_REQUIRED ON)'
  echo 'find_package(Qt6 REQUIRED COMPONENTS Core)'
  pairs=()
  for f in "${folders[@]}"; do
    t=part_$(ident "$f")
    pairs+=("$f" "$t")
    echo "file(GLOB srcs CONFIGURE_DEPENDS \${CMAKE_SOURCE_DIR}/$(dir_of "$f")/*.cpp)"
    echo "add_library($t STATIC \${srcs})"
    echo "target_include_directories($t PUBLIC \${CMAKE_SOURCE_DIR}/src \${CMAKE_SOURCE_DIR}/tools $gen \${CMAKE_BINARY_DIR}/gen)"
    [[ $qt_folders == *" $f "* ]] && echo "target_link_libraries($t PUBLIC Qt6::Core)"
  done
  echo "include($rule_dir/Includerule.cmake)"
  echo "orrery_include_rule(${pairs[*]})"
} >"$top/CMakeLists.txt"
reset_tree
"$cmake" -S "$top" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_MAKE_PROGRAM="$ninja" >"$work/configure.log" 2>&1 ||
  fail "the probe project does not configure: $(cat "$work/configure.log")"

# Builds the tree: holds (the build passes) or broken (the rule, not the compiler, stops it, and
# its refusal names each text given).
expect() { # holds|broken, what, [texts the refusal names...]
  local out rc=0 text
  out=$("$cmake" --build "$build" 2>&1) || rc=$?
  if [ "$1" = holds ]; then
    [ $rc -eq 0 ] || fail "$2: refused: $out"
  else
    [ $rc -ne 0 ] || fail "$2: passed"
    grep -qF "The include rule is broken" <<<"$out" || fail "$2: not stopped by the rule: $out"
    for text in "${@:3}"; do
      grep -qF -- "$text" <<<"$out" || fail "$2: the refusal does not name '$text': $out"
    done
  fi
  echo "ok: $2 ($1)"
}

expect holds "a tree that keeps the rule"

# Every pair of folders: all the reads the layers forbid in one build, each named; all those
# they allow in another, which passes.
reset_tree
refusals=()
for f in "${folders[@]}"; do
  for g in "${folders[@]}"; do
    [ "$f" = "$g" ] && continue
    [[ " ${below[$f]} " == *" $g "* ]] && continue
    add "$(dir_of "$f")/Part.cpp" "#include \"$(name_of "$g")\"\n"
    refusals+=("$(dir_of "$f")/Part.cpp reads $(dir_of "$g")/Part.h, a file of $g, which $f may not read")
  done
done
expect broken "every folder reading every folder above it" "${refusals[@]}"
reset_tree
for f in "${folders[@]}"; do
  for g in ${below[$f]}; do
    add "$(dir_of "$f")/Part.cpp" "#include \"$(name_of "$g")\"\n"
  done
done
expect holds "every folder reading every folder below it"

# A header counts for its own folder, whoever reads it: device's header that reads panel's is
# refused though only panel's source reads it.
reset_tree
put src/device/Only.h '#pragma once\n#include "panel/Part.h"\n'
add src/panel/Part.cpp '#include "device/Only.h"\n'
expect broken "a header of device reading panel, read only by panel" \
  "src/device/Only.h reads src/panel/Part.h, a file of panel, which device may not read"
# ... and once it is gone, the record of it no longer counts.
rm "$top/src/device/Only.h"
put src/panel/Part.cpp '#include "Part.h"\nint part_panel() { return 0; }\n'
expect holds "the header gone again"

# Every other file of a folder that a file may include is held to its folder, read by anyone or
# none: a part that needs not compile alone, a data file, a name without an ending. The build's
# own scripts and notes are not read.
reset_tree
put src/device/Table.inc '#include "panel/Part.h"\nENTRY(first)\n'
put src/device/Impl.tcc '#include "panel/Part.h"\ntemplate <class T> T Twice(T t) { return t + t; }\n'
put src/device/Rows.txt '#include "service/Part.h"\n1, 2, 3\n'
put src/device/Plain '#include "panel/ui/Part.h"\n'
expect broken "parts of device reading folders above it, read by no file" \
  "src/device/Table.inc reads src/panel/Part.h, a file of panel, which device may not read" \
  "src/device/Impl.tcc reads src/panel/Part.h, a file of panel, which device may not read" \
  "src/device/Rows.txt reads src/service/Part.h, a file of service, which device may not read" \
  "src/device/Plain reads src/panel/ui/Part.h, a file of panel/ui, which device may not read"
reset_tree
put src/device/Table.inc '#include "link/Part.h"\nENTRY(first)\n'
put src/device/Impl.tcc '#include "device/Part.h"\ntemplate <class T> T Twice(T t) { return t + t; }\n'
put src/device/Notes.md '# How the parts of device fit\n#include "panel/Part.h"\n'
put tools/simunit/Make.sh '#!/bin/sh\n# include "panel/Part.h"\n'
add src/device/Part.cpp '#define ENTRY(x) int x;\n#include "device/Table.inc"\n'
expect holds "parts of device reading device and link, and a note and a script not read"
reset_tree
put src/extra/Table.inc '#pragma once\n'
expect broken "a part in a folder with no layer" "src/extra/Table.inc: its folder extra has no place among the layers"

# The forms of the issue that the compiler reads: each refused.
reset_tree
add src/device/Part.cpp '#if __has_include(<probe/*none>)\n#else\n#include "panel/Part.h"\n#endif\n// */\n'
expect broken "an include after __has_include of a name holding /*" \
  "src/device/Part.cpp reads src/panel/Part.h, a file of panel, which device may not read"
reset_tree
add src/device/Part.cpp '#define \xc3\x84R\nconst char* text = \xc3\x84R"(x";\n#include "panel/Part.h"\n// )"\n'
expect broken "an include after a UTF-8 name ending in R before a string" \
  "src/device/Part.cpp reads src/panel/Part.h, a file of panel, which device may not read"
reset_tree
add src/device/Part.cpp '#include <qt6/QtCore/qconfig.h>\n'
expect broken "a Qt header by its path in a folder without Qt" "src/device/Part.cpp reads Qt's" \
  "/qt6/QtCore/qconfig.h, and device compiles without Qt"
reset_tree
printf '#pragma once\n#include "panel/Part.h"\n' >"$gen/Gen.h"
add src/device/Part.cpp '#include "Gen.h"\n'
expect broken "a header generated outside the tree and the build folder, reading panel" \
  "src/device/Part.cpp reads src/panel/Part.h, a file of panel, which device may not read"

# The forms the compiler skips: each passes, and the same include is refused once the compiler
# reads it (the condition met).
while IFS='@' read -r what skipped read_; do
  reset_tree
  add src/device/Part.cpp "$skipped"
  expect holds "$what"
  reset_tree
  add src/device/Part.cpp "$read_"
  expect broken "$what, the condition met" "src/device/Part.cpp reads src/panel/Part.h"
done <<'EOF'
an include under #if 0 && defined(X)@#if 0 && defined(X)\n#include "panel/Part.h"\n#endif\n@#if 1 || defined(X)\n#include "panel/Part.h"\n#endif\n
an include in the #else of #ifdef __cplusplus@#ifdef __cplusplus\n#else\n#include "panel/Part.h"\n#endif\n@#ifndef __cplusplus\n#else\n#include "panel/Part.h"\n#endif\n
an include under #ifdef of a macro defined nowhere@#ifdef ORRERY_DEFINED_NOWHERE\n#include "panel/Part.h"\n#endif\n@#define ORRERY_DEFINED_NOWHERE\n#ifdef ORRERY_DEFINED_NOWHERE\n#include "panel/Part.h"\n#endif\n
EOF

# A name only the preprocessor knows is read as the compiler reads it.
reset_tree
add src/device/Part.cpp '#define WHERE(f) <f/Part.h>\n#include WHERE(panel)\n'
expect broken "an include named by a macro" "src/device/Part.cpp reads src/panel/Part.h"

# Links: a file read through a link counts where the link leads.
reset_tree
ln -s ../panel/Part.h "$top/src/device/Up.h"
add src/device/Part.cpp '#include "device/Up.h"\n'
expect broken "a link in device to panel's header" \
  "src/device/Part.cpp reads src/panel/Part.h (as $top/src/device/Up.h)" "src/device/Up.h reads src/panel/Part.h"
reset_tree
ln -s ../link "$top/src/device/lower"
add src/device/Part.cpp '#include "device/lower/Part.h"\n'
expect holds "a link in device to the link folder"

# Files outside the layers: of the project outside src and tools, in a folder with no layer.
reset_tree
put elsewhere/Other.h '#pragma once\n'
add src/device/Part.cpp '#include "../../elsewhere/Other.h"\n'
expect broken "device reading a file outside the source folders" "a file of the project outside the source folders"
reset_tree
put src/extra/Odd.cpp '#include "common/Part.h"\n'
expect broken "a source in a folder with no layer" "src/extra/Odd.cpp: its folder extra has no place among the layers"

# Headers generated into the build folder: what they read counts for the file that reads them.
reset_tree
printf '#pragma once\n#include "panel/Part.h"\n' >"$build/gen/Gen.h"
add src/device/Part.cpp '#include "Gen.h"\n'
expect broken "a generated header reading panel, read by device" "src/device/Part.cpp reads src/panel/Part.h"
reset_tree
printf '#pragma once\n#include "link/Part.h"\n' >"$build/gen/Gen.h"
add src/device/Part.cpp '#include "Gen.h"\n'
expect holds "a generated header reading link, read by device"

# Qt where the layers allow it, and the tools on the device layer.
reset_tree
add src/zcomponents/Part.h '#include <QString>\n'
add src/panel/ui/Part.cpp '#include <QtCore/QObject>\n'
expect holds "Qt in the components and the windows"
reset_tree
add tools/simunit/Part.cpp '#include "panel/Part.h"\n'
expect broken "the simulated unit reading panel" "tools/simunit/Part.cpp reads src/panel/Part.h"
reset_tree
add tools/soak/Part.cpp '#include "simunit/Part.h"\n#include "device/Part.h"\n#include "../simunit/Part.h"\n'
expect holds "the soak reading the simulated unit and device"
reset_tree
add tools/simunit/Part.h '#include "soak/Part.h"\n'
expect broken "the simulated unit's header reading the soak" "tools/simunit/Part.h reads tools/soak/Part.h"

echo "include rule: every forbidden pair and every form the compiler reads refused, what it skips passed"
