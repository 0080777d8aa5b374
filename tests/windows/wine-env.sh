# Sourced with a Windows build folder as $build: a Wine prefix of its own
# inside it (made on first use), and the Qt DLLs and plugins from the
# build's Qt for the programs that need them.
prefixes=$(sed -n 's/^ZEFIR_WINDOWS_PREFIXES:[A-Z]*=//p' "$build/CMakeCache.txt")
qt=$(tr ';' '\n' <<<"$prefixes" | grep '/qt-' | head -n1)
export WINEPREFIX=$build/wine
export WINEDEBUG=-all
# No Mono or Gecko: nothing here needs .NET or a browser, and Wine would
# offer to download them.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPATH="Z:${qt//\//\\}\\bin"
# Wine passes no QT_ variable of the build machine's to a Windows program,
# only WINEQT_ ones, as their QT_ names.
export WINEQT_PLUGIN_PATH="Z:$qt/plugins"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "making the Wine prefix $WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w
fi
