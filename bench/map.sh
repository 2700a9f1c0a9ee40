#!/usr/bin/env bash
# Placeholder until the benchmark is built. Usage: bench/NAME.sh BUILD TMP
set -euo pipefail
echo "$(basename "$0"): nothing to measure yet"
