#!/bin/sh
# Usage: no_upward_includes.sh SOURCE_ROOT UPPER_FOLDER LOWER_FOLDER...
# Fails, listing the lines, when a file in a lower folder includes the upper folder.
root=$1 upper=$2
shift 2
cd "$root" || exit 2
found=0
for folder in "$@"; do
    [ -d "$folder" ] || continue
    if grep -rn "#include \"$upper/" "$folder"; then found=1; fi
done
exit $found
