#!/usr/bin/env bash
# The include rule's check (tools/Includerule.cmake sets it up and tells what it holds): reads
# Ninja's record of the headers each object of the build read and refuses every object whose
# source, or header compiled alone, read a file its folder may not read.
#   Includerule.sh <build folder> <rules file> [ninja]
# The rules file (written by Includerule.cmake) holds tab-separated lines: src, tools, top and
# probes with their folders, notread with the endings of the files the compiler never reads, qt
# with each include folder of Qt, and layer with a folder, plain or qt, and the folders it may
# read. Exits 1 naming every fault, 0 when the rule holds.
set -euo pipefail
build=$1
rules=$2
ninja=${3:-ninja}

fail() { echo "include rule: $*" >&2; exit 1; }
[ -f "$rules" ] || fail "no rules file $rules"
[ -f "$build/build.ninja" ] || fail "$build is no build folder made with Ninja"
build=$(cd "$build" && pwd -P)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The record is read from a copy: the build that runs this check may still be writing it (Ninja
# writes each record whole, and a copy cut in the middle of one drops only that one, which is
# of an object this check does not wait for). Ninja reads it beside the build's own rules, so
# that only the objects the build makes as it stands count, not those of sources since gone.
[ -f "$build/.ninja_deps" ] || fail "$build has no record of the headers read (.ninja_deps): nothing was compiled"
cp "$build/.ninja_deps" "$work/.ninja_deps"
mkdir -p "$work/CMakeFiles"
for f in "$build"/CMakeFiles/*.ninja; do
    [ -f "$f" ] && cp "$f" "$work/CMakeFiles/"
done
"$ninja" -C "$work" -f "$build/build.ninja" -t deps >"$work/deps" 2>"$work/deps.err" ||
    fail "ninja -t deps: $(cat "$work/deps.err")"

# Every path read, as the file system resolves it (through links, '..' and relative to the build
# folder): the file read is the one the link leads to.
awk '/^    / { sub(/^    /, ""); print }' "$work/deps" | sort -u >"$work/paths"
(cd "$build" && tr '\n' '\0' <"$work/paths" | xargs -0 -r realpath -m -- ) >"$work/real"
[ "$(wc -l <"$work/paths")" -eq "$(wc -l <"$work/real")" ] || fail "could not resolve the paths read"
paste "$work/paths" "$work/real" >"$work/map"

# Every file of src or tools that the compiler may read (all but the build's own scripts and
# notes), for the check that its folder is a layer's.
src=$(awk -F'\t' '$1 == "src" { print $2 }' "$rules")
tools=$(awk -F'\t' '$1 == "tools" { print $2 }' "$rules")
not_read=(! -name '.*' ! -name '#*' ! -name '*~') # an editor's files beside those it edits
for ending in $(awk -F'\t' '$1 == "notread" { print $2 }' "$rules"); do
    not_read+=(! -iname "*$ending")
done
{
    [ -d "$src" ] && (cd "$src" && find . -type f "${not_read[@]}" | sed 's|^\./|src/|')
    [ -d "$tools" ] && (cd "$tools" && find . -type f "${not_read[@]}" | sed 's|^\./|tools/|')
} | sort >"$work/files" || true

awk -F'\t' -v files="$work/files" -v map="$work/map" -v build="$build" '
function under(path, root) { return root != "" && (path == root || index(path, root "/") == 1) }
function folder_of(rel,   f) { f = rel; if (!sub(/\/[^\/]*$/, "", f)) f = ""; return f }
# What a path is: "layer <folder> <shown>", "probe <folder> <header shown>", "build", "qt",
# "tree" (the project, outside src and tools) or "system".
function place(p,   rel, f, h) {
    if (under(p, probes)) {
        rel = substr(p, length(probes) + 2); f = folder_of(rel)
        h = substr(rel, length(f) + 2); sub(/\.cpp$/, "", h)
        return "probe " f " " (f ~ /^tools(\/|$)/ ? f : "src/" f) "/" h
    }
    if (under(p, build)) return "build"
    if (under(p, src)) { rel = substr(p, length(src) + 2); return "layer " folder_of(rel) " src/" rel }
    if (under(p, tools)) {
        rel = substr(p, length(tools) + 2); f = folder_of(rel)
        return "layer " (f == "" ? "tools" : "tools/" f) " tools/" rel
    }
    for (q in qt) if (under(p, q)) return "qt"
    if (under(p, top)) return "tree"
    return "system"
}
function fault(text) { if (!(text in faults)) { faults[text] = 1; count++ } }
# The checks of one record: the object counts for the folder of its source (the first file
# read), or of the header it compiles alone; every file it read is held to that folder.
function check(   i, sp, d, layer, shown, rp, f, as) {
    if (n == 0) return
    split(place(real[read[1]]), sp, " ")
    if (sp[1] != "probe" && sp[1] != "layer") return  # a test, a benchmark, a generated source
    layer = sp[2]; shown = sp[3]
    if (!(layer in kind)) { fault(shown ": its folder " layer " has no place among the layers"); return }
    for (i = 2; i <= n; i++) {
        rp = real[read[i]]
        as = rp == read[i] ? "" : " (as " read[i] ")"
        split(place(rp), d, " ")
        if (d[1] == "layer") {
            f = d[2]
            if (!(f in kind)) fault(shown " reads " d[3] as ", whose folder " f " has no place among the layers")
            else if (f != layer && !((layer SUBSEP f) in below))
                fault(shown " reads " d[3] as ", a file of " f ", which " layer " may not read")
        } else if (d[1] == "qt") {
            if (kind[layer] == "plain") fault(shown " reads Qt'"'"'s " rp as ", and " layer " compiles without Qt")
        } else if (d[1] == "tree") {
            fault(shown " reads " rp as ", a file of the project outside the source folders")
        } else if (d[1] == "probe") {
            fault(shown " reads " rp ", a file of the check'"'"'s own")
        }
    }
}
BEGIN {
    while ((getline line < map) > 0) { t = index(line, "\t"); real[substr(line, 1, t - 1)] = substr(line, t + 1) }
}
FILENAME == ARGV[1] {
    if ($1 == "src") src = $2
    else if ($1 == "tools") tools = $2
    else if ($1 == "top") top = $2
    else if ($1 == "probes") probes = $2
    else if ($1 == "qt") qt[$2] = 1
    else if ($1 == "layer") {
        kind[$2] = $3
        nb = split($4, b, " ")
        for (j = 1; j <= nb; j++) below[$2, b[j]] = 1
    }
    next
}
/^[^ ].*: #deps / {
    check()
    object = $0; sub(/: #deps .*$/, "", object)
    n = 0
    next
}
/^    / { sub(/^    /, ""); read[++n] = $0; next }
END {
    check()
    # A file of src or tools in a folder that is no layer is refused, read or not.
    while ((getline line < files) > 0) {
        f = folder_of(line)
        if (f ~ /^src(\/|$)/) sub(/^src\/?/, "", f)
        if (!(f in kind)) fault(line ": its folder " (f == "" ? "(none)" : f) " has no place among the layers")
    }
    for (text in faults) print text | "sort"
    close("sort")
    exit (count > 0)
}
' "$rules" "$work/deps" >"$work/faults" || {
    echo "The include rule is broken $(wc -l <"$work/faults") time(s) (by Ninja's record in $build of what the compiler read):" >&2
    sed 's/^/  /' "$work/faults" >&2
    exit 1
}
