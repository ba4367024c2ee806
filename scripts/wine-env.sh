# Sourced by every script that runs a Windows program: one Wine prefix per build
# tree, quiet, never asking to install Wine's .NET or HTML add-ons, and never
# putting menu entries for Windows shortcuts on the Linux desktop.
TB_ROOT="${TB_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
TB_BUILD="${TB_BUILD:-$TB_ROOT/build}"
export WINEPREFIX="${WINEPREFIX:-$TB_BUILD/wineprefix}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"

# Creates the prefix once (about 15 s); later calls return at once.
tb_wine_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$(dirname "$WINEPREFIX")"
        wineboot -i >/dev/null 2>&1 || true
        # Wine's own fonts (Marlett draws the caption buttons, Tahoma the dialogs).
        if [ -d /usr/share/wine/fonts ]; then
            cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
        fi
        # One virtual desktop with Wine's own taskbar and notification area,
        # so windows get their Windows frames even without a window manager.
        wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 || true
        wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1 || true
        wineserver -w || true
    fi
}
