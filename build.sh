#!/usr/bin/env bash
# Vantrel Orrery build entry point.
#   ./build.sh run    build, start the simulated unit and the program
#   ./build.sh test   build with the sanitizers and run every test
#   ./build.sh bench  build and run the benchmarks
#   ./build.sh fuzz [SECONDS]  build the fuzz entries with clang and run each for SECONDS (60)
#   ./build.sh tsan [CTEST ARGS]  build with ThreadSanitizer and run every test
#   ./build.sh soak [ARGS]     build and run the link soak (orrery-soak --help lists ARGS)
# Missing Debian packages are installed with apt-get (as root, or through sudo).
set -euo pipefail
cd "$(dirname "$0")"
top=$(pwd)

packages=(g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev libgtest-dev libgmock-dev
          libbenchmark-dev xvfb xauth openbox ccache)

install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

jobs=${ORRERY_JOBS:-$(nproc 2>/dev/null || echo 2)}
# ccache shares object files between builds of the same tree in different folders.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(dirname "$top")}
export CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

configure_build() { # dir, extra cmake args...
    local dir=$1; shift
    cmake -S "$top" -B "$dir" -G Ninja "${launcher[@]}" "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
}

# A build folder is made with the compiler named (CXX); CMake keeps the first compiler it found,
# so a folder set up with another one is set up afresh.
set_compiler() { # dir, compiler
    local dir=$1 cxx=$2
    if [ -f "$dir/CMakeCache.txt" ] && ! grep -q "^CMAKE_CXX_COMPILER:[A-Z]*=\(.*/\)\?$cxx\$" "$dir/CMakeCache.txt"; then
        rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles"
    fi
}

# The fuzz entries as libFuzzer programs, every library built for libFuzzer's guidance, with clang
# (warnings are errors here too).
fuzz_build() {
    set_compiler build/fuzz clang++
    CXX=clang++ cmake -S "$top" -B build/fuzz -G Ninja "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DORRERY_FUZZ=ON >/dev/null
    cmake --build build/fuzz -j "$jobs" --target fuzz_entries
}

# Runs every fuzz entry of a folder for the seconds given, as many at a time as there are jobs;
# fails when one of them found something. Each entry's log, inputs and findings are kept in the
# folder.
fuzz_run() { # folder, seconds
    local dir=$1 seconds=$2
    (
    export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
    export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
    export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$top/tests/lsan.supp:print_suppressions=0}
    run_entry() {
        local b=$1 name seeds work findings
        name=$(basename "$b")
        seeds=$top/tests/fuzz/corpus/${name#fuzz_}
        work=$dir/work/$name
        findings=$dir/findings/$name
        # What a run found is this run's: the findings of an earlier run are cleared first.
        rm -rf "$findings"
        mkdir -p "$work" "$findings"
        # New inputs go to the work folder; the seeds in the tree stay as they are.
        "$b" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$findings/" \
            "$work" "$seeds" >"$dir/$name.log" 2>&1 || true
    }
    entries=()
    for b in "$dir"/fuzz_*; do
        [ -f "$b" ] && [ -x "$b" ] && entries+=("$b")
    done
    for b in "${entries[@]}"; do
        while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
        run_entry "$b" &
    done
    wait
    found=0
    for b in "${entries[@]}"; do
        name=$(basename "$b")
        runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$dir/$name.log" | grep -o '[0-9]*$' || echo 0)
        count=$(find "$dir/findings/$name" -type f | wc -l)
        echo "$name: ${runs:-0} runs in ${seconds} s, $count findings (goal: 0 findings; log $dir/$name.log)"
        [ "$count" -eq 0 ] || found=1
    done
    exit $found
    )
}

cmd=${1:-}
case "$cmd" in
run)
    install_missing
    configure_build build/run -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORRERY_TESTS=OFF
    exec "$top/tools/run-with-simunit.sh" "$top/build/run" "${@:2}"
    ;;
test)
    packages+=(clang libclang-rt-14-dev)
    install_missing
    # Each of the two compilers builds every file once, warnings as errors: clang with the
    # sanitizers (build/test: the tests run here), and GCC the default configuration as a release
    # (build/release, not run), so that a warning only GCC's optimiser gives (its -Wrestrict at
    # -O3, say) stops this build too, and a build type no one runs cannot break. The sanitizer
    # build also makes each fuzz entry a libFuzzer program (build/test/fuzz), each run for a second.
    set_compiler build/test clang++
    CXX=clang++ configure_build build/test -DCMAKE_BUILD_TYPE=Debug -DORRERY_SANITIZE=ON
    set_compiler build/release g++
    CXX=g++ configure_build build/release -DCMAKE_BUILD_TYPE=Release
    fuzz_run build/test/fuzz 1
    # The leak check's tracer can read a bogus dynamic-TLS range of a library the platform
    # plugins load (and crash after every test passed) unless __tls_get_addr is left alone.
    export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:intercept_tls_get_addr=0}
    export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
    export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$top/tests/lsan.supp:print_suppressions=0}
    ctest --test-dir build/test --output-on-failure -j "$jobs" --timeout 300
    # CTest runs every test in a process of its own. Each test program runs once more whole, its
    # tests shuffled and run twice over in the one process: a test that leaves something behind
    # for the next or for itself (the application told to quit, a queued call, a process-wide
    # value, a temporary name) fails here. The order changes from run to run; ORRERY_TEST_SEED
    # (1 to 99999) replays the one a run printed.
    seed=${ORRERY_TEST_SEED:-$(( (RANDOM * 32768 + RANDOM) % 99999 + 1 ))}
    echo "whole programs shuffled with seed $seed (ORRERY_TEST_SEED=$seed ./build.sh test replays it)"
    run_whole() { # program
        local b=$1 name store log
        name=$(basename "$b")
        store=$(mktemp -d)
        log=build/test/whole-$name.log
        if QT_QPA_PLATFORM=offscreen ORRERY_SETTINGS_FILE="$store/settings.ini" timeout 900 "$b" --gtest_shuffle \
            --gtest_random_seed="$seed" --gtest_repeat=2 >"$log" 2>&1; then
            echo "$name: passed whole, shuffled, twice"
        else
            echo "$name: FAILED whole, shuffled, twice (seed $seed; log $log)"
            touch "build/test/whole-$name.failed"
        fi
        rm -rf "$store"
    }
    rm -f build/test/whole-*.failed
    for b in build/test/tests/test_*; do
        [ -f "$b" ] && [ -x "$b" ] || continue
        while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
        run_whole "$b" &
    done
    wait
    programs=$(find build/test/tests -maxdepth 1 -name 'test_*' -type f -executable | wc -l)
    failed=$(find build/test -maxdepth 1 -name 'whole-*.failed' | wc -l)
    echo "whole: $((programs - failed)) passed, $failed failed"
    [ "$failed" -eq 0 ] || exit 1
    ;;
bench)
    install_missing
    configure_build build/bench -DCMAKE_BUILD_TYPE=Release -DORRERY_TESTS=OFF -DORRERY_BENCH=ON
    for b in build/bench/bench/bench_*; do
        if [ -f "$b" ] && [ -x "$b" ]; then
            QT_QPA_PLATFORM=offscreen "$b" "${@:2}"
        fi
    done
    ;;
soak)
    install_missing
    cmake -S "$top" -B build/bench -G Ninja "${launcher[@]}" -DCMAKE_BUILD_TYPE=Release -DORRERY_TESTS=OFF \
        -DORRERY_BENCH=ON >/dev/null
    cmake --build build/bench -j "$jobs" --target orrery-soak
    exec build/bench/orrery-soak "${@:2}"
    ;;
fuzz)
    packages+=(clang libclang-rt-14-dev)
    install_missing
    fuzz_build
    fuzz_run build/fuzz "${2:-60}"
    ;;
tsan)
    install_missing
    # GCC's ThreadSanitizer: clang 14's stops at the first process Qt starts (its clone check).
    CXX=g++ cmake -S "$top" -B build/tsan -G Ninja "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DORRERY_TSAN=ON >/dev/null
    cmake --build build/tsan -j "$jobs"
    # Every process writes what it finds to a file of its own; the run fails when one has a
    # report. Qt's libraries are not instrumented: tests/tsan.supp names them, and only them,
    # so that the calls they make themselves (of the allocator, of memcpy) are not checked.
    reports=build/tsan/reports
    rm -rf "$reports"
    mkdir -p "$reports"
    export TSAN_OPTIONS=${TSAN_OPTIONS:-suppressions=$top/tests/tsan.supp:second_deadlock_stack=1:log_path=$top/$reports/tsan}
    status=0
    ctest --test-dir build/tsan --output-on-failure -j "$jobs" --timeout 600 "${@:2}" || status=1
    count=$( (cat "$reports"/tsan.* 2>/dev/null || true) | grep -c '^WARNING: ThreadSanitizer' || true)
    (cat "$reports"/tsan.* 2>/dev/null || true) | (grep '^SUMMARY: ThreadSanitizer' || true) |
        sed 's/ (BuildId: [0-9a-f]*)//' | sort | uniq -c | sort -rn
    echo "ThreadSanitizer: $count reports (goal: 0; each process's in $reports)"
    [ "$count" -eq 0 ] && [ "$status" -eq 0 ] || exit 1
    ;;
*)
    echo "usage: $0 run|test|bench|fuzz|soak|tsan" >&2
    exit 2
    ;;
esac
