# Shared settings of the project's scripts; source it.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD_NATIVE=${BUILD_NATIVE:-$ROOT/build/native}
BUILD_WINDOWS=${BUILD_WINDOWS:-$ROOT/build/windows}
