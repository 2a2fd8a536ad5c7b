#!/usr/bin/env bash
# The include rule's check on small source trees of its own: a file that includes a file of a
# folder above its own is refused in every spelling of the include, for every pair of folders
# the layers forbid; what the layers allow passes, and so does the real source tree. A table of
# the forms the compiler reads (other names of files, links, generated headers, other line ends,
# comments, macros) gives each its verdict, and the compiler itself shows that the table is
# right: a form refused makes it read the file of the folder above, a form kept does not.
#   Includeruletest.sh <Includerule.cmake> <source root> [cmake] [C++ compiler]
set -euo pipefail
rule=$1
real_src=$2
cmake=${3:-cmake}
cxx=${4:-c++}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

folders=(platform common link device panel service zcomponents link/ui panel/ui service/ui app flashlib
         tools/simunit tools/soak)
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
  [tools/simunit]="platform common link device"
  [tools/soak]="platform common link device tools/simunit"
)

# A fresh tree: one header in every folder (src/<folder>, tools/<folder>), and a file that
# includes nothing of ours. tree_dirs holds the folders' paths.
tree=0
path_of() { if [[ $1 == tools/* ]]; then printf '%s' "$top/$1"; else printf '%s' "$root/$1"; fi; }
# An include of a folder's header from an include folder (src, or tools for the tools' folders).
name_of() { printf '%s/Part.h' "${1#tools/}"; }
new_tree() {
  local d
  tree=$((tree + 1))
  top="$work/t$tree"
  root="$top/src"
  tree_dirs=()
  for d in "${folders[@]}"; do
    if [[ $d == tools/* ]]; then tree_dirs+=("$top/$d"); else tree_dirs+=("$root/$d"); fi
  done
  mkdir -p "${tree_dirs[@]}"
  for d in "${tree_dirs[@]}"; do
    printf '#pragma once\n#include <string>\n' >"$d/Part.h"
    printf '#include "Part.h"\n#include <vector>\n' >"$d/Part.cpp"
  done
}
check() { # expected (holds|broken), root, what, [what the refusal names], [more cmake arguments]
  local out rc=0
  out=$("$cmake" -DSRC="$2" "${@:5}" -P "$rule" 2>&1) || rc=$?
  if [ "$1" = holds ] && [ $rc -ne 0 ]; then fail "$3: refused: $out"; fi
  if [ "$1" = broken ] && [ $rc -eq 0 ]; then fail "$3: passed"; fi
  if [ "$1" = broken ] && ! grep -qF -- "$4" <<<"$out"; then fail "$3: the refusal does not name $4: $out"; fi
  return 0
}
# The refusal of the tree at the source root, which must not pass.
refusal() { # root, what
  local out rc=0
  out=$("$cmake" -DSRC="$1" -P "$rule" 2>&1) || rc=$?
  [ $rc -ne 0 ] || fail "$2: passed"
  printf '%s' "$out"
}
# ../ from a folder back to the source root.
up_of() { local f=$1 up="../"; [[ $f == */* ]] && up="../../"; printf '%s' "$up"; }

new_tree
check holds "$root" "a tree that keeps the rule"
check holds "$real_src" "the source tree"

# Every pair of folders, one tree for what each folder may include and one for what it may not:
# the includes the layers allow pass, each of the others is refused (quoted, from the root).
for f in "${folders[@]}"; do
  for kind in allowed forbidden; do
    new_tree
    names=()
    for g in "${folders[@]}"; do
      [ "$f" = "$g" ] && continue
      allowed=forbidden
      [[ " ${below[$f]} " == *" $g "* ]] && allowed=allowed
      [ $allowed = $kind ] || continue
      names+=("$(name_of "$g")")
      printf '#include "%s"\n' "$(name_of "$g")" >>"$(path_of "$f")/Part.cpp"
    done
    if [ $kind = allowed ]; then
      check holds "$root" "$f including ${names[*]:-nothing}"
    else
      out=$(refusal "$root" "$f including ${names[*]}")
      for n in "${names[@]}"; do
        grep -qF "$f/Part.cpp: includes '$n'" <<<"$out" || fail "$f including $n: not refused: $out"
      done
    fi
  done
done

# Every spelling of one include of a folder above, each refused on its own: the window folders
# and the lowest layers.
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
  for file in Part.cpp Part.h; do
    new_tree
    printf '%s\n' "${spellings[@]}" >>"$root/$f/$file"
    out=$(refusal "$root" "$f/$file with every spelling")
    count=$(grep -cF "src/$f/$file: includes" <<<"$out" || true)
    [ "$count" -eq ${#spellings[@]} ] || fail "$f/$file: $count of ${#spellings[@]} spellings refused: $out"
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

# A file outside the source folders, an unknown folder, Qt in a logic folder or a tool.
new_tree
mkdir -p "$top/elsewhere"
printf '#pragma once\n' >"$top/elsewhere/Other.h"
printf '#include "../../elsewhere/Other.h"\n' >>"$root/device/Part.cpp"
check broken "$root" "device including a file outside src" "outside the source folders"
new_tree
mkdir -p "$root/extra"
printf '#include "common/Part.h"\n' >"$root/extra/Odd.cpp"
check broken "$root" "a folder with no layer" "extra/Odd.cpp"
new_tree
mkdir -p "$top/tools/extra"
printf '#include "device/Part.h"\n' >"$top/tools/extra/Odd.cpp"
check broken "$root" "a tools folder with no layer" "tools/extra/Odd.cpp"
for f in platform common link device panel service flashlib tools/simunit tools/soak; do
  for q in "<QWidget>" "<QtWidgets/QWidget>" "<QString>" "\"QObject\""; do
    new_tree
    printf '#include %s\n' "$q" >>"$(path_of "$f")/Part.h"
    check broken "$root" "$f including $q" "$f/Part.h"
  done
done
new_tree
printf '#include <QWidget>\n' >>"$root/panel/ui/Part.h"
printf '#include <QString>\n' >>"$root/zcomponents/Part.h"
check holds "$root" "Qt in the window folders and the components"

# --- The forms the compiler reads -----------------------------------------------------------
# A tree whose headers hold a mark of their folder and include nothing: what the compiler reads
# shows in its preprocessed output.
light_tree() {
  local i
  new_tree
  for i in "${!folders[@]}"; do
    printf '#pragma once\nint marker_%s;\n' "${folders[i]//\//_}" >"${tree_dirs[i]}/Part.h"
    printf '#include "Part.h"\n' >"${tree_dirs[i]}/Part.cpp"
  done
}
put() { printf '%b' "$2" >"$top/$1"; } # file under the tree's top, text with escapes
add() { printf '%b' "$2" >>"$top/$1"; }
# Whether the compiler, compiling the file as the build does (with the macros of defines, when
# set), reads the folder's header.
defines=()
compiler_reads() { # file under top, folder
  "$cxx" -std=c++20 -w -E -P "${defines[@]}" -I "$root" -I "$top/tools" -I "$top/build/gen" "$top/$1" 2>/dev/null |
    grep -q "marker_${2//\//_};"
}
# The rule's verdict on the tree, and the compiler's read of panel/Part.h from the compiled file:
# refused when it reads it, kept when it does not.
form() { # verdict (holds|broken), what, file compiled, what the refusal names, [cmake arguments]
  check "$1" "$root" "$2" "${4:-}" "${@:5}"
  if [ "$1" = broken ]; then
    compiler_reads "$3" panel || fail "$2: the compiler does not read panel/Part.h: not a case"
  else
    ! compiler_reads "$3" panel || fail "$2: the compiler reads panel/Part.h"
  fi
}
main=src/device/Part.cpp

# Files of any name.
for name in Extra.hpp Extra.inc Table; do
  light_tree
  put "src/device/$name" '#pragma once\n#include "panel/Part.h"\n'
  add $main "#include \"device/$name\"\n"
  form broken "a header named $name" $main "src/device/$name"
done

# Line ends, a byte-order mark, joined lines, other spellings of the directive, numbers, strings
# and raw strings that hold what would open a comment or a skipped branch elsewhere: each refused
# once.
while IFS= read -r text; do
  light_tree
  put $main "$text"
  form broken "device/Part.cpp as: $text" $main "src/device/Part.cpp"
  count=$(refusal "$root" "device/Part.cpp as: $text" | grep -c "src/device/Part.cpp: includes" || true)
  [ "$count" -eq 1 ] || fail "device/Part.cpp as: $text: refused $count times"
done <<'EOF'
\xef\xbb\xbf#include "panel/Part.h"\n
\xef\xbb\xbf  #include <panel/Part.h>\n
#include "Part.h"\rint a;\r#include "panel/Part.h"\r
#include "Part.h"\r\nint a;\r\n#include "panel/Part.h"\r\n
int a;\r#include "panel/Part.h"
#inc\\\nlude "panel/Part.h"\n
#include \\\n  "panel/Part.h"\n
# \\ \n include <panel/Part.h>\n
%:include "panel/Part.h"\n
  %:  include <panel/Part.h>\n
#include_next <panel/Part.h>\n
#import "panel/Part.h"\n
/* a */ #include "panel/Part.h"\n
#/**/include/**/"panel/Part.h"\n
/* one\n   two */ #include "panel/Part.h"\n
  /**/ %:/**/include <panel/Part.h> // more\n
#include "device/../panel/Part.h"\n
#include <./panel//Part.h>\n
const char* s = "/*";\n#include "panel/Part.h"\nint t; // */\n
char q = '"';\n#include "panel/Part.h"\n
const char* u = "\\" /*";\n#include "panel/Part.h"\n
#if 0\n#else\n#include "panel/Part.h"\n#endif\n
#if 0\n#elif defined(X) || 1\n#include "panel/Part.h"\n#endif\n
#if 1\n#include "panel/Part.h"\n#else\n#endif\n
#if 0\n#endif\n#include "panel/Part.h"\n
int n = 1'000; // the unit's /* limit\n#include "panel/Part.h"\nint m; // */\n
auto m = 0x1'F + 0b1'0 + 1'0.5e+1'0 + 0'7; // it's /* the rest\n#include "panel/Part.h"\n// */\n
const char* r = R"(\n#if 0\n)";\n#include "panel/Part.h"\n
const char* r = R"x(\n)"\n#if 0\n)x";\n#include "panel/Part.h"\n
const char* r = u8R"--(/*)--";\n#include "panel/Part.h"\n// */\n
const char* r = R"x"(/*)x"";\n#include "panel/Part.h"\n// */\n
const char* r = R"(a)"; const char* s = R"y(/*)y";\n#include "panel/Part.h"\n// */\n
/* R"( */\n#include "panel/Part.h"\n// )"\n
// R"(\n#include "panel/Part.h"\n// )"\n
const char* s = "R\\"(";\n#include "panel/Part.h"\n// )"\n
char c = 'R'; const char* s = "(";\n#include "panel/Part.h"\n// )"\n
#if 0x1\n#include "panel/Part.h"\n#endif\n
#if 0\n#elif 0b1\n#else\n#endif\n#include "panel/Part.h"\n
#if 0\n#elif 1'0u\n#include "panel/Part.h"\n#endif\n
#if '0'\n#include "panel/Part.h"\n#endif\n
EOF

# A condition the rule cannot decide is read as met: the compiler reads the include when a
# build defines the macro.
defines=(-DNOT_DEFINED -DSOMETHING=1)
while IFS= read -r text; do
  light_tree
  put $main "$text"
  form broken "device/Part.cpp as: $text" $main "a condition the rule cannot decide"
done <<'EOF'
#ifdef NOT_DEFINED\n#include "panel/Part.h"\n#endif\n
#if defined(NOT_DEFINED)\n#include "panel/Part.h"\n#endif\n
#if SOMETHING\n#include "panel/Part.h"\n#endif\n
#ifndef SOMETHING\n#else\n#include "panel/Part.h"\n#endif\n
#if 0\n#elif defined NOT_DEFINED\n#include "panel/Part.h"\n#endif\n
#if 1\n#ifdef NOT_DEFINED\n#include <panel/Part.h>\n#endif\n#endif\n
EOF
defines=()

# Comments and skipped branches: the compiler does not read the include, nor does the rule.
while IFS= read -r text; do
  light_tree
  put $main "#include \"Part.h\"\n$text"
  form holds "device/Part.cpp with: $text" $main
done <<'EOF'
// #include "panel/Part.h"\n
  //#include <panel/Part.h>\n
/* #include "panel/Part.h" */\n
/*\n#include "panel/Part.h"\n*/\n
/* a line\n * of a comment\n  #  include <panel/Part.h> */\n
int a; /* x */ /* y\n#include "panel/Part.h"\n*/\n
// a note \\\n#include "panel/Part.h"\n
#if 0\n#include "panel/Part.h"\n#endif\n
  #  if  0 // off\n#include "panel/Part.h"\n  #  endif\n
#if (0)\n#include "panel/Part.h"\n#elif 0\n#include "panel/Part.h"\n#endif\n
#if 0\n#ifdef X\n#else\n#include "panel/Part.h"\n#endif\n#include "panel/Part.h"\n#endif\n
#if 1\n#else\n#include "panel/Part.h"\n#endif\n
#if 1\n#elif 1\n#include "panel/Part.h"\n#endif\n
#if 0 /* long\n #else */\n#include "panel/Part.h"\n#endif\n
#if 0\n#define WHERE "panel/Part.h"\n#include WHERE\n#endif\n
const char* s = "#include \\"panel/Part.h\\"";\n
#if 0x0\n#include "panel/Part.h"\n#endif\n
#if 00\n#include "panel/Part.h"\n#endif\n
#if 0b0\n#include "panel/Part.h"\n#endif\n
#if 0L\n#include "panel/Part.h"\n#endif\n
#if 0u\n#include "panel/Part.h"\n#endif\n
#if ((0x0ULL))\n#include "panel/Part.h"\n#endif\n
#if 0'0\n#include "panel/Part.h"\n#endif\n
#if false\n#include "panel/Part.h"\n#endif\n
#if 0B00\n#include "panel/Part.h"\n#elif 0X0uLL\n#include "panel/Part.h"\n#endif\n
#if 0x1\n#else\n#include "panel/Part.h"\n#endif\n
#if 0\n#elif 2L\n#elif SOMETHING\n#include "panel/Part.h"\n#endif\n
const char* r = R"(\n#include "panel/Part.h"\n)";\n
const char* r = R"x(\n)"\n#include "panel/Part.h"\n)x";\n
const wchar_t* r = LR"--(\n#include <panel/Part.h>\n)--";\n
const char* r = R"(//)"; const char* s = R"(\n#include "panel/Part.h"\n)";\n
int n = 1'000; /* the unit's\n#include "panel/Part.h"\n*/\n
int n = 0x1'0'0; /* it's\n#include "panel/Part.h"\n*/ char c = '"';\n
EOF

# Files that are no C++ source or header, which no one includes: a script with a shell comment
# that reads like an include, a picture, a text. The compiler reads none of them.
light_tree
put tools/run-with-simunit.sh '#!/usr/bin/env bash\n# include the unit'"'"'s port: "panel/Part.h"\n#include <panel/Part.h>\n'
put src/device/Logo.png '\x89PNG\r\n\x1a\n\0\0\0\rIHDR\n#include "panel/Part.h"\n\xff\xfe'
put src/device/Notes.txt '#include "panel/Part.h"\n'
form holds "a script, a picture and a text under the source folders" $main

# A name given by a macro: only the preprocessor knows the file.
while IFS= read -r text; do
  light_tree
  put $main "#include \"Part.h\"\n$text"
  form broken "device/Part.cpp with: $text" $main "only the preprocessor knows"
done <<'EOF'
#define WHERE "panel/Part.h"\n#include WHERE\n
#define PART(f) <f/Part.h>\n#include PART(panel)\n
EOF

# An absolute name.
for q in "\"ROOT/panel/Part.h\"" "<ROOT/panel/Part.h>" "\"ROOT/device/../panel/Part.h\""; do
  light_tree
  add $main "#include ${q//ROOT/$root}\n"
  form broken "device/Part.cpp with an absolute name $q" $main "src/device/Part.cpp"
done

# A NUL byte before the include: the compiler reads on past it.
light_tree
put $main 'int a;\0\n#include "panel/Part.h"\n'
form broken "an include after a NUL byte" $main "NUL"

# Links: to a file or folder of a folder above, and '..' after a link to a folder below.
light_tree
ln -s ../panel/Part.h "$root/device/Up.h"
add $main '#include "device/Up.h"\n'
form broken "a link in device to panel's header" $main "src/device/Up.h"
light_tree
ln -s ../panel "$root/device/above"
add $main '#include "device/above/Part.h"\n'
form broken "a link in device to the panel folder" $main "src/device/above"
light_tree
ln -s ../link "$root/device/lower"
add $main '#include "device/lower/Part.h"\n'
form holds "a link in device to the link folder" $main
light_tree
ln -s ../link "$root/device/lower"
add $main '#include "device/lower/../panel/Part.h"\n'
form broken "'..' after a link to a folder below" $main "src/device/Part.cpp"
light_tree
ln -s ../../src/panel/Part.h "$top/tools/simunit/Up.h"
add tools/simunit/Part.cpp '#include "Up.h"\n'
check broken "$root" "a link in the simulated unit to panel's header" "tools/simunit/Up.h"

# Headers generated into the build folder: their includes count as the includer's.
gen_tree() { # the text of the generated header build/gen/Gen.h
  light_tree
  mkdir -p "$top/build/gen"
  printf '[{"directory": "%s", "command": "c++ -I%s -I%s -isystem /usr/include -c x.cpp", "file": "x.cpp"}]\n' \
    "$top/build" "$top/build/gen" "$root" >"$top/build/compile_commands.json"
  put build/gen/Gen.h "#pragma once\n$1"
}
gen_tree '#include "panel/Part.h"\n'
add $main '#include "Gen.h"\n'
form broken "a generated header including panel, in an include folder" $main "src/device/Part.cpp" -DBUILD="$top/build"
gen_tree '#include <Deeper.h>\n'
put build/gen/Deeper.h '#pragma once\n#include "panel/Part.h"\n'
add $main '#include <Gen.h>\n'
form broken "a generated header including another including panel" $main "generated gen/Deeper.h" -DBUILD="$top/build"
gen_tree '#include "panel/Part.h"\n'
add $main '#include "../../build/gen/Gen.h"\n'
form broken "a generated header including panel, by its path" $main "src/device/Part.cpp" -DBUILD="$top/build"
gen_tree '#include "link/Part.h"\n#include "../../src/common/Part.h"\n'
add $main '#include "Gen.h"\n'
form holds "a generated header including folders below" $main "" -DBUILD="$top/build"
gen_tree '#include "panel/Part.h"\n'
add src/panel/Part.cpp '#include "Gen.h"\n'
check holds "$root" "a generated header including panel, in panel" "" -DBUILD="$top/build"

# The tools: the simulated unit and the soak stand on the device layer.
light_tree
add tools/simunit/Part.cpp '#include "panel/Part.h"\n'
check broken "$root" "the simulated unit including panel" "tools/simunit/Part.cpp"
light_tree
add tools/soak/Part.cpp '#include "simunit/Part.h"\n#include "device/Part.h"\n#include "../simunit/Part.h"\n'
check holds "$root" "the soak including the simulated unit and device"
light_tree
add tools/simunit/Part.cpp '#include "../soak/Part.h"\n'
check broken "$root" "the simulated unit including the soak" "tools/simunit/Part.cpp"
light_tree
add tools/simunit/Part.h '#include <QObject>\n'
check broken "$root" "the simulated unit including Qt" "tools/simunit/Part.h"

echo "include rule: every spelling, every form the compiler reads and every forbidden pair refused"
