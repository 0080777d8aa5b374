#!/bin/sh
# Compiles the project's MIME types into a scratch XDG data folder, so that
# GLib types files as an installed desktop would.
# Usage: make-mime-database.sh MIME-XML FOLDER
set -eu
rm -rf "$2/mime"
mkdir -p "$2/mime/packages"
cp "$1" "$2/mime/packages/zefir.xml"
update-mime-database "$2/mime"
