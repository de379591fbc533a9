#!/bin/sh
# Prints the number of records of a record file: its lines that do not begin with "#".
awk '!/^#/ { n++ } END { printf "%d", n }' "$1"
