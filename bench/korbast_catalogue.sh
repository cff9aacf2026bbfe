#!/usr/bin/env bash
# Whole-process time of korbast (the general analysis with the study of
# periodic orbits) on every system of the catalogue, against 30 ms: the
# catalogue timing of durmosk_catalogue.sh run on korbast.
#   bench/korbast_catalogue.sh [BUILD_DIR] [REPEAT]
TOOL=korbast exec "$(dirname "$0")/durmosk_catalogue.sh" "$@"
