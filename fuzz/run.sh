#!/bin/sh
# Runs every libFuzzer target of a fuzz build for a set time each:
#   fuzz/run.sh FUZZ_BUILD_DIR SECONDS [BUILD_DIR]
# New inputs go to FUZZ_BUILD_DIR/corpus/<name>/ (the committed seeds are
# only read); crashes to FUZZ_BUILD_DIR/crashes/. With the normal build's
# directory, every corpus is then replayed under valgrind as well: the
# sanitizers see only our own code, not the libraries it drives. Fails when
# any target found a fault.
set -e
build=$1
seconds=$2
replays=$3
here=$(cd "$(dirname "$0")" && pwd)
status=0
for source in "$here"/*_fuzz.cpp; do
  target=$(basename "$source" .cpp)
  name=${target%_fuzz}
  binary="$build/fuzz/$target"
  work="$build/corpus/$name"
  crashes="$build/crashes"
  mkdir -p "$work" "$crashes"
  set -- -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$crashes/$name-"
  [ -f "$here/$name.dict" ] && set -- "$@" -dict="$here/$name.dict"
  echo "== $target for $seconds s"
  if ! LSAN_OPTIONS="suppressions=$here/lsan.supp" "$binary" "$@" "$work" "$here/corpus/$name"; then
    echo "== $target found a fault; the input is in $crashes"
    status=1
  fi
  replay="$replays/fuzz/${name}_replay"
  if [ -n "$replays" ] && [ -x "$replay" ] && command -v valgrind >/dev/null; then
    echo "== $name corpus under valgrind"
    if ! valgrind -q --error-exitcode=99 --suppressions="$here/valgrind.supp" "$replay" "$work" "$here/corpus/$name" \
        2>"$build/valgrind-$name.log"; then
      echo "== valgrind found a fault; the last input named in $build/valgrind-$name.log"
      status=1
    fi
  fi
done
exit $status
