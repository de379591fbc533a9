#!/bin/sh
# Prints a file as it is: the value of a File's FormattedText, an HTML fragment.
cat "$1"
