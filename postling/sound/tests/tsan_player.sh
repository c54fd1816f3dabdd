#!/usr/bin/env bash
# Runs the melody player's tests under ThreadSanitizer in the project's TSan
# tree (the one scripts/test builds engine_test in), configuring it if needed.
#   tsan_player.sh SOURCE_DIR TSAN_TREE
set -euo pipefail
source=$1 tree=$2
[ -f "$tree/build.ninja" ] ||
    cmake -S "$source" -B "$tree" -G Ninja -DPOSTLING_SANITIZE_THREADS=ON >/dev/null
cmake --build "$tree" --target sound_test >/dev/null
export TSAN_OPTIONS="halt_on_error=1 ${TSAN_OPTIONS:-}"
exec "$tree/postling/sound/sound_test" --gtest_filter='MelodyPlayer*' --gtest_repeat=3
