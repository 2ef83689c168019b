#!/bin/sh
# Runs every libFuzzer target of a fuzz build for a set time each:
#   fuzz/run.sh BUILD_DIR SECONDS
# New inputs go to BUILD_DIR/corpus/<name>/ (the committed seeds are only
# read); crashes to BUILD_DIR/crashes/. Fails when any target found one.
set -e
build=$1
seconds=$2
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
  if ! "$binary" "$@" "$work" "$here/corpus/$name"; then
    echo "== $target found a fault; the input is in $crashes"
    status=1
  fi
done
exit $status
