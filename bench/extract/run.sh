#!/usr/bin/env bash
# Extraction benchmark: ./run bench calls it with the native build folder.
exec python3 "$(dirname "$0")/bench.py" "$@"
