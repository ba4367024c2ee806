#!/usr/bin/env bash
# Makes the two packages of Tallybox from the build's dist/ folder, after
# installing what is missing and building:
#   build/packages/Tallybox-<version>-setup.exe      the installer (NSIS)
#   build/packages/Tallybox-<version>-portable.zip   the program folder, to run from anywhere
# Both hold the same files: the program, its DLLs, the extractor of
# self-extracting programs, the help pages and tb.bmp.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TB_BUILD:-$root/build}"

bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"

dist="$build/dist"
out="$build/packages"
version="$(sed -n 's/^#define TB_VERSION_TEXT "\(.*\)"$/\1/p' "$build/generated/Version.h")"
[ -n "$version" ] || { echo "package.sh: no version in $build/generated/Version.h" >&2; exit 1; }

# What ships: the binaries by name, and every help page.
shipped=(Tallybox.exe DZIP32.dll DUNZIP32.dll adfactry.dll tbsfx.exe tb.bmp)
for page in "$dist"/*.html; do shipped+=("$(basename "$page")"); done

rm -rf "$out"
stage="$out/stage/Tallybox"
mkdir -p "$stage"
for name in "${shipped[@]}"; do
    [ -f "$dist/$name" ] || { echo "package.sh: $dist/$name is missing" >&2; exit 1; }
    cp -p "$dist/$name" "$stage/$name"
done

# The installer's lists of the files it installs and removes, from the same list.
filelist="$out/stage/files.nsh"
{
    echo '; Made by scripts/package.sh: the files setup installs and the uninstaller removes.'
    echo '!macro TB_INSTALL_FILES'
    for name in "${shipped[@]}"; do echo "  File \"$stage/$name\""; done
    echo '!macroend'
    echo '!macro TB_REMOVE_FILES'
    for name in "${shipped[@]}"; do echo "  Delete \"\$INSTDIR\\$name\""; done
    echo '!macroend'
} > "$filelist"

setup="$out/Tallybox-$version-setup.exe"
makensis -V2 -WX -DSOURCE="$root" -DSTAGE="$stage" -DFILELIST="$filelist" \
    -DGENERATED="$build/generated" -DOUTFILE="$setup" "$root/installer/Tallybox.nsi"

portable="$out/Tallybox-$version-portable.zip"
(cd "$out/stage" && TZ=UTC zip -q -X -9 -r "$portable" Tallybox)

echo "Packages of Tallybox $version:"
ls -l "$setup" "$portable" | awk '{print "  " $5 " bytes  " $NF}'
echo "Program folder: $(du -cb "$stage"/* | tail -1 | cut -f1) bytes"
