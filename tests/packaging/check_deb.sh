#!/usr/bin/env bash
# The Debian package as a player's system meets it: built by CPack, checked by
# lintian, desktop-file-validate and appstreamcli, its file list and
# dependencies compared, then unpacked into a temporary root where the
# client, started by its menu entry's command with HOME in a temporary
# folder, must keep the player's files in the per-user folder and write
# nothing into the unpacked tree.
#   check_deb.sh BUILD_DIR VERSION      exit 77 (skipped) when a tool is missing
set -euo pipefail
build=$1
version=$2
started=$SECONDS

for tool in cpack dpkg-deb dpkg-shlibdeps file lintian desktop-file-validate appstreamcli; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (bash tools/setup-deps.sh installs it)"
        exit 77
    fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
step() { echo "== $*"; }

step "building the package"
if ! (cd "$build" && cpack -G DEB -B "$work/out") >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    fail "cpack could not build the package"
fi
deb="$work/out/varendor_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "expected $deb; cpack made: $(ls "$work/out")"

step "lintian"
# Every tag is shown; errors and warnings fail (none are expected).
status=0
lintian --fail-on error,warning --display-info "$deb" >"$work/lintian.log" 2>&1 || status=$?
grep -v 'root privileges' "$work/lintian.log" || true
[ "$status" = 0 ] || fail "lintian found errors or warnings"

step "file list"
expected=$(
    cat <<'LIST'
./usr/bin/varendor
./usr/libexec/varendor/CSWSK32.OCX
./usr/libexec/varendor/Ormund
./usr/libexec/varendor/RICHTX32.OCX
./usr/libexec/varendor/regsvr32
./usr/libexec/varendor/varendor-practice-server
./usr/share/applications/org.varendor.Varendor.desktop
./usr/share/doc/varendor/README.md
./usr/share/doc/varendor/changelog.gz
./usr/share/doc/varendor/copyright
./usr/share/doc/varendor/examples/barre.lua
./usr/share/doc/varendor/examples/contatore.lua
./usr/share/doc/varendor/examples/cura.lua
./usr/share/doc/varendor/examples/messaggi.lua
./usr/share/doc/varendor/examples/spam.lua
./usr/share/doc/varendor/examples/timer.lua
./usr/share/doc/varendor/ormund/README.TXT
./usr/share/doc/varendor/script.md
./usr/share/icons/hicolor/128x128/apps/org.varendor.Varendor.png
./usr/share/icons/hicolor/16x16/apps/org.varendor.Varendor.png
./usr/share/icons/hicolor/22x22/apps/org.varendor.Varendor.png
./usr/share/icons/hicolor/24x24/apps/org.varendor.Varendor.png
./usr/share/icons/hicolor/256x256/apps/org.varendor.Varendor.png
./usr/share/icons/hicolor/32x32/apps/org.varendor.Varendor.png
./usr/share/icons/hicolor/48x48/apps/org.varendor.Varendor.png
./usr/share/icons/hicolor/64x64/apps/org.varendor.Varendor.png
./usr/share/man/it/man6/varendor.6.gz
./usr/share/man/man6/varendor.6.gz
./usr/share/metainfo/org.varendor.Varendor.metainfo.xml
LIST
)
actual=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
if [ "$actual" != "$expected" ]; then
    diff <(echo "$expected") <(echo "$actual") || true
    fail "the package's files differ from the expected list (< expected, > packaged)"
fi

step "control fields"
depends=$(dpkg-deb -f "$deb" Depends)
for dep in fonts-dejavu-core fonts-liberation2 qt6-translations-l10n libqt6widgets6 libqt6network6 libtelnet2 libspeechd2 libc6; do
    [[ ", $depends," == *", $dep"[\ ,]* ]] || fail "Depends lacks $dep: $depends"
done
[ "$(dpkg-deb -f "$deb" Package)" = varendor ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version"

root=$work/root
dpkg-deb -x "$deb" "$root"
desktop=$root/usr/share/applications/org.varendor.Varendor.desktop

step "desktop entry and AppStream metadata"
desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.varendor.Varendor.metainfo.xml" ||
    fail "appstreamcli validate"
for size in 16 22 24 32 48 64 128 256; do
    png=$root/usr/share/icons/hicolor/${size}x${size}/apps/org.varendor.Varendor.png
    file "$png" | grep -q "PNG image data, $size x $size, 8-bit/color RGBA" ||
        fail "icon $size: $(file -b "$png")"
done

# The client as the menu starts it: the entry's command, found in the
# unpacked bin folder instead of on the PATH.
command=$(sed -n 's/^Exec=//p' "$desktop" | head -1)
[ "$command" = varendor ] || fail "unexpected Exec line: $command"
grep -qx 'Exec=varendor --mondo-di-prova' "$desktop" || fail "no practice world action"
client=$root/usr/bin/$command
mkdir -m 700 "$work/run"
# The client may start the practice world on port 4000: in a network of its
# own (loopback only) when the system allows one, so that nothing else on
# this machine answers there or is disturbed.
isolated() {
    if command -v ip >/dev/null && unshare -n true 2>/dev/null; then
        unshare -n sh -c 'ip link set lo up && exec "$@"' sh "$@"
    else
        "$@"
    fi
}
player() { # HOME [ARGS...]: the client in a clean environment, offscreen
    local home=$1
    shift
    mkdir -p "$home"
    isolated env -i PATH=/usr/bin:/bin LANG=C.UTF-8 HOME="$home" XDG_RUNTIME_DIR="$work/run" \
        QT_QPA_PLATFORM=offscreen "${program:-$client}" "$@"
}
tree_before=$(cd "$root" && find . | sort)

step "first start of the installed client: the practice world greets in Italian"
# No game server yet: the start-up offers the practice world (closing the
# question picks it), starts the packaged practice server, connects, and
# names the server's first words.
player "$work/home" --prova-avvio 2>"$work/err" || fail "start-up check: $(cat "$work/err")"
expected_err=$(
    cat <<'ERR'
prova-avvio: chiusa la finestra frmAbout
prova-avvio: chiusa la finestra messaggio "Non è ancora indicato il server del gioco.
Si può entrare nel mondo di prova, su questo computer, oppure scrivere l'indirizzo del gioco."
prova-avvio: il server dice: Benvenuto a Varendor!
ERR
)
[ "$(grep -v 'does not support' "$work/err")" = "$expected_err" ] ||
    fail "unexpected output of the start-up: $(cat "$work/err")"
! pgrep -f "$root/usr/libexec/varendor/varendor-practice-server" >/dev/null ||
    fail "the practice server outlived the client"
folder=$work/home/.local/share/Varendor
[ -d "$folder" ] || fail "no per-user folder; the client's folder holds: $(ls -A "$root/usr/bin")"
listing=$(cd "$folder" && ls -A | tr '\n' ' ')
[ "$listing" = "Log Note alias.txt config.ini trigger.txt " ] ||
    fail "player's folder holds: $listing"
grep -q '^HOST=localhost' "$folder/config.ini" || fail "config.ini has no server"

step "one folder per character"
player "$work/home2" --cartella "$work/personaggi/Aldric" --prova-avvio 2>/dev/null ||
    fail "--cartella start"
[ -f "$work/personaggi/Aldric/trigger.txt" ] && [ -d "$work/personaggi/Aldric/Log" ] ||
    fail "--cartella folder not filled"
[ ! -e "$work/home2/.local/share/Varendor" ] || fail "--cartella also wrote the per-user folder"
status=0
player "$work/home3" --cartella "$deb/Aldric" --prova-avvio 2>"$work/err" || status=$?
[ "$status" = 1 ] || fail "a folder that cannot be made: exit $status"
grep -q "Impossibile creare la cartella del giocatore" "$work/err" || fail "$(cat "$work/err")"
[ ! -e "$work/home3/.local" ] || fail "a refused start wrote into the home folder"

[ "$(cd "$root" && find . | sort)" = "$tree_before" ] ||
    fail "the client wrote into the installed tree: $(cd "$root" && find . -newer "$deb")"

step "a portable copy keeps its files beside itself"
mkdir "$work/portatile"
cp "$client" "$work/portatile/"
printf '[SERVER]\r\nHOST=localhost\r\n' >"$work/portatile/config.ini"
program=$work/portatile/varendor player "$work/home4" --prova-avvio 2>/dev/null ||
    fail "portable start"
listing=$(cd "$work/portatile" && ls -A | tr '\n' ' ')
[ "$listing" = "Log Note alias.txt config.ini trigger.txt varendor " ] ||
    fail "portable folder holds: $listing"
[ ! -e "$work/home4/.local/share/Varendor" ] || fail "a portable copy wrote the per-user folder"

step "terminal answers without a display"
nodisplay() { env -i PATH=/usr/bin:/bin HOME="$work/home" QT_QPA_PLATFORM=xcb "$client" "$@"; }
nodisplay --help | head -1 | grep -qx "Uso: varendor \[OPZIONI\]" || fail "--help"
practice=$root/usr/libexec/varendor/varendor-practice-server
env -i PATH=/usr/bin:/bin "$practice" --help | head -1 | grep -q "^Utilizzo: " ||
    fail "practice server --help: $("$practice" --help 2>&1 | head -1)"
[ "$(nodisplay --version)" = "Varendor versione $version" ] || fail "--version"
status=0
nodisplay --sconosciuta 2>"$work/err" || status=$?
[ "$status" = 2 ] && grep -q "opzione sconosciuta: --sconosciuta" "$work/err" ||
    fail "unknown option: exit $status, $(cat "$work/err")"

step "Ormund's registration tool beside its components"
libexec=$root/usr/libexec/varendor
"$libexec/regsvr32" /s "$libexec/RICHTX32.OCX" || fail "regsvr32 on RICHTX32.OCX"
"$libexec/regsvr32" /s "$libexec/CSWSK32.OCX" || fail "regsvr32 on CSWSK32.OCX"
status=0
"$libexec/regsvr32" /s "$libexec/MANCA.OCX" || status=$?
[ "$status" = 3 ] || fail "regsvr32 on a missing component: exit $status"
! ldd "$libexec/Ormund" | grep -q "not found" || fail "Ormund misses libraries"

echo "package checked in $((SECONDS - started)) s: $(basename "$deb")"
