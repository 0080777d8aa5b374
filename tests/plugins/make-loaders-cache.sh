#!/bin/sh
# Writes a gdk-pixbuf loaders cache listing the system's modules and the
# given ones, as gdk-pixbuf-query-loaders does for an installation.
# Usage: make-loaders-cache.sh QUERY-LOADERS SYSTEM-MODULE-FOLDER CACHE MODULE...
set -eu
query=$1 system=$2 cache=$3
shift 3
"$query" "$system"/*.so "$@" >"$cache.new"
for module in "$@"; do
    grep -q "\"$module\"" "$cache.new" || { echo "$module is missing from the cache" >&2; exit 1; }
done
mv "$cache.new" "$cache"
