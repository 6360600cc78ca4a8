#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and checks what a package would
# ship: exactly the expected files, icons of the sizes their folders name, a
# desktop entry and metainfo that agree with each other and pass their
# validators, and installed programs that keep their data in the user's
# folder, never below the prefix.
#
#   check_install.sh BUILD_DIR SOURCE_DIR APP_ID "ICON SIZES" VERSION LIBDIR
set -euo pipefail
build=$1 source=$2 app_id=$3 sizes=$4 version=$5 libdir=$6

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
prefix=/usr
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

DESTDIR=$root cmake --install "$build" --prefix "$prefix" >"$work/install.log" ||
    { cat "$work/install.log" >&2; exit 1; }
tree=$root$prefix

# --- the tree --------------------------------------------------------------------
{
    echo bin/nox
    echo bin/noxtool
    echo "$libdir/nox/noxsound.so"
    echo "$libdir/nox/nox_search_web.so"
    echo "share/applications/$app_id.desktop"
    echo "share/metainfo/$app_id.metainfo.xml"
    echo share/bash-completion/completions/noxtool
    echo share/man/man1/nox.1.gz
    echo share/man/man1/noxtool.1.gz
    echo share/icons/hicolor/scalable/apps/nox.svg
    for s in $sizes; do echo "share/icons/hicolor/${s}x$s/apps/nox.png"; done
    echo share/nox/nox.html
    echo share/doc/nox/copyright
    echo share/doc/nox/changelog.Debian.gz
    (cd "$source/data" && find default print -type f ! -name .keep | sed 's|^|share/nox/|')
} | sort >"$work/expected"
(cd "$tree" && find . -type f -o -type l) | sed 's|^\./||' | sort >"$work/actual"
diff -u "$work/expected" "$work/actual" || fail "the installed files differ from the expected list (above)"
[[ -z $(find "$root" -mindepth 1 -maxdepth 1 ! -name "${prefix#/}") ]] || fail "files outside the prefix"
for p in nox noxtool; do [[ -x $tree/bin/$p ]] || fail "bin/$p is not executable"; done

# --- icons -----------------------------------------------------------------------
png_size() { # width x height from the PNG header
    local bytes
    read -ra bytes < <(od -An -v -tu1 -j16 -N8 "$1")
    echo "$((bytes[0] << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3]))x$((bytes[4] << 24 | bytes[5] << 16 | bytes[6] << 8 | bytes[7]))"
}
for s in $sizes; do
    png=$tree/share/icons/hicolor/${s}x$s/apps/nox.png
    [[ -f $png ]] || continue
    [[ $(head -c 8 "$png" | od -An -tx1 | tr -d ' \n') == 89504e470d0a1a0a ]] || fail "$png is not a PNG"
    [[ $(png_size "$png") == "${s}x$s" ]] || fail "$png is $(png_size "$png"), not ${s}x$s"
done
grep -q '<svg' "$tree/share/icons/hicolor/scalable/apps/nox.svg" || fail "the scalable icon is not SVG"

# --- desktop entry and metainfo agree with the tree and the build -------------------
desktop=$tree/share/applications/$app_id.desktop
metainfo=$tree/share/metainfo/$app_id.metainfo.xml
key() { sed -n "s/^$1=//p" "$desktop"; }
[[ $(key Exec) == nox ]] || fail "Exec is not the installed program: $(key Exec)"
[[ $(key Icon) == nox ]] || fail "Icon is not the installed icon: $(key Icon)"
[[ $(key 'Name\[ja\]') && $(key 'GenericName\[ja\]') && $(key 'Comment\[ja\]') && $(key 'Keywords\[ja\]') ]] ||
    fail "the desktop entry lacks a Japanese Name, GenericName, Comment or Keywords"
grep -q "<id>$app_id</id>" "$metainfo" || fail "the metainfo's id is not $app_id"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
    fail "the metainfo does not launch $app_id.desktop"
# Nox has no domain of its own: nothing the package ships, nor its control
# file, may name a placeholder domain as if it were Nox's address.
placeholder='example\.(org|com|net)'
for f in "$desktop" "$metainfo" "$tree/share/doc/nox/copyright" "$tree/share/nox/nox.html"; do
    ! grep -Eq "$placeholder" "$f" || fail "$f names a placeholder address"
done
for f in "$tree/share/doc/nox/changelog.Debian.gz" "$tree"/share/man/man1/*.gz; do
    ! gunzip -c "$f" | grep -Eq "$placeholder" || fail "$f names a placeholder address"
done
contact=$(sed -n 's/^set(CPACK_PACKAGE_CONTACT "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
[[ $contact == *'<'*'@'*'>' ]] || fail "the package's contact is not a name and an address: $contact"
! grep -Eq "$placeholder" <<<"$contact" || fail "the package's contact is a placeholder address: $contact"
newest=$(grep -o '<release version="[^"]*"' "$metainfo" | head -n1 | cut -d'"' -f2)
[[ $newest == "$version" ]] || fail "the newest release in the metainfo is $newest, the program is $version"

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate"
else
    echo "skipped: desktop-file-validate (desktop-file-utils) is not installed"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net --pedantic "$metainfo" || fail "appstreamcli validate"
    appstreamcli validate-tree --no-net "$tree" || fail "appstreamcli validate-tree"
else
    echo "skipped: appstreamcli (appstream) is not installed"
fi

# --- copyright and changelog, as Debian wants them ------------------------------------
doc=$tree/share/doc/nox
if [[ -f $doc/copyright ]]; then
    head -n1 "$doc/copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
        fail "the copyright file does not start with the machine-readable format's Format line"
    # Each Files paragraph names files that exist and a licence with its text.
    grep -qx 'Files: \*' "$doc/copyright" || fail "the copyright file has no Files: * paragraph"
    grep -qx 'Files: data/default/holiday.txt' "$doc/copyright" ||
        fail "the copyright file does not name the holiday list taken from the holiday_jp data package"
    if /usr/bin/python3 -c 'import debian.copyright' 2>/dev/null; then
        /usr/bin/python3 - "$doc/copyright" "$source" <<'PY' || fail "the copyright file (above)"
import glob, os, sys
from debian.copyright import Copyright
with open(sys.argv[1], encoding="utf-8") as f:
    c = Copyright(f, strict=True)
for p in c.all_files_paragraphs():
    if not p.copyright or not p.license:
        sys.exit("a Files paragraph lacks Copyright or License: %s" % (p.files,))
    for pattern in p.files:
        if pattern != "*" and not glob.glob(os.path.join(sys.argv[2], pattern)):
            sys.exit("Files names %s, which is not in the source tree" % pattern)
    if not p.license.text:
        known = {l.license.synopsis for l in c.all_license_paragraphs()}
        if p.license.synopsis not in known:
            sys.exit("the licence %s has neither text nor a License paragraph" % p.license.synopsis)
PY
    else
        echo "skipped: parsing the copyright file (python3-debian is not installed)"
    fi
fi
changelog=$doc/changelog.Debian.gz
if [[ -f $changelog ]]; then
    gzip -t "$changelog" || fail "changelog.Debian.gz is not a good gzip file"
    # gzip -n: no file name and no time stamp in the header (a reproducible package).
    read -ra header < <(od -An -v -tu1 -N8 "$changelog")
    ((header[0] == 31 && header[1] == 139)) || fail "changelog.Debian.gz is not gzip"
    ((!(header[3] & 8))) || fail "changelog.Debian.gz carries a file name (gzip -n)"
    ((header[4] + header[5] + header[6] + header[7] == 0)) || fail "changelog.Debian.gz carries a time stamp (gzip -n)"
    gunzip -c "$changelog" >"$work/changelog"
    if command -v dpkg-parsechangelog >/dev/null; then
        [[ $(dpkg-parsechangelog -l "$work/changelog" -S Source) == nox ]] || fail "the changelog is not for the package nox"
        [[ $(dpkg-parsechangelog -l "$work/changelog" -S Version) == "$version" ]] ||
            fail "the changelog's newest entry is $(dpkg-parsechangelog -l "$work/changelog" -S Version), the program is $version"
    else
        head -n1 "$work/changelog" | grep -q "^nox ($version) " || fail "the changelog's newest entry is not nox ($version)"
    fi
fi

# --- the installed programs write only to the user's data folder --------------------
(cd "$root" && find . | sort) >"$work/before"
home=$work/home
mkdir "$home"
user=$(id -un)
data=$home/.local/share/nox/$user
run() { env -u NOX_HOME -u XDG_DATA_HOME HOME="$home" "$@"; }
run "$tree/bin/noxtool" add 2026-12-08 9:00 10:00 install-check >/dev/null || fail "the installed noxtool cannot add"
[[ -f $data/20261208.dat ]] || fail "noxtool did not write its day file into $data"
run QT_QPA_PLATFORM=offscreen NOX_STARTUP_PROBE=1 "$tree/bin/nox" >/dev/null 2>"$work/nox.err" ||
    { cat "$work/nox.err" >&2; fail "the installed nox did not start"; }
[[ -f $data/style.ini ]] || fail "nox did not copy the installed factory style.ini into $data"
[[ -f $data/Nox.ini ]] || fail "nox did not write its settings into $data"
(cd "$root" && find . | sort) >"$work/after"
diff -u "$work/before" "$work/after" || fail "the programs wrote below the prefix (above)"

if ((failures > 0)); then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "install tree, icons, desktop entry, metainfo, copyright, changelog and data folder: ok"
