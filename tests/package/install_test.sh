#!/bin/bash
# The Debian package as a pharmacy gets it: built from the build folder given as $1 (with its
# template databases), installed with dpkg, used through the installed programs, and purged
# again, also when a step fails. It refuses to run over an installed copy or a /etc/tavro it did
# not make, and checks at the end that the machine holds the same packages and no file of ours.
set -euo pipefail
BUILD=$(realpath "$1")
PACKAGE=tavro-transmissor
INSTALLED=(/usr/bin/tavro-transmissor /usr/bin/tavro-cli /usr/bin/tavro-sim /etc/tavro
    /usr/share/applications/tavro-transmissor.desktop /usr/share/icons/hicolor/scalable/apps/tavro-transmissor.svg)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}
fail() {
    echo "install test: $*" >&2
    exit 1
}
installed() {
    dpkg-query -W -f='${Status}' "$PACKAGE" 2>/dev/null | grep -q "ok installed"
}

installed && fail "$PACKAGE is installed on this machine; remove it (apt-get purge $PACKAGE) to run this test"
for path in "${INSTALLED[@]}"; do
    [ ! -e "$path" ] || fail "$path exists and is not ours to replace"
done

WORK=$(mktemp -d)
packages() {
    dpkg-query -W -f='${Package} ${Version} ${Status}\n' | grep -v " not-installed$" | sort
}
PACKAGES_BEFORE=$(packages)
cleanup() {
    if dpkg-query -W -f='${Status}' "$PACKAGE" 2>/dev/null | grep -qv "not-installed"; then
        as_root dpkg --purge "$PACKAGE" >/dev/null || true
    fi
    rm -rf "$WORK"
}
trap cleanup EXIT

echo "== building the package"
rm -f "$BUILD"/${PACKAGE}_*.deb
(cd "$BUILD" && cpack -G DEB >"$WORK/cpack.log" 2>&1) || { cat "$WORK/cpack.log" >&2; fail "cpack failed"; }
DEB=$(ls "$BUILD"/${PACKAGE}_*.deb)
DEPENDS=$(dpkg-deb -f "$DEB" Depends)
for dep in libfbclient2 libqt6core6 libqt6sql6 libqt6widgets6 libqt6sql6-ibase; do
    [[ ", $DEPENDS," == *", $dep "* || ", $DEPENDS," == *", $dep,"* ]] || fail "Depends lacks $dep: $DEPENDS"
done
[ "$(dpkg-deb --ctrl-tarfile "$DEB" | tar -xO ./conffiles)" = "/etc/tavro/config.ini" ] ||
    fail "/etc/tavro/config.ini is not a conffile"

echo "== installing $(basename "$DEB")"
as_root dpkg -i "$DEB" >"$WORK/dpkg.log" 2>&1 || { cat "$WORK/dpkg.log" >&2; fail "dpkg -i failed"; }

# A user of the installed program: its own home, the demo database, its config.ini under ~/.config.
export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/home/.config XDG_DATA_HOME=$WORK/home/.local/share
mkdir -p "$XDG_CONFIG_HOME/tavro"
cp "$BUILD/testdata/demo-utf8.fdb" "$WORK/demo.fdb"
printf '[GERAL]\nDATABASE=%s\nIBGE=3550308\nCNESFARMACIA=2345678\n' "$WORK/demo.fdb" >"$XDG_CONFIG_HOME/tavro/config.ini"
cd "$WORK"

/usr/bin/tavro-cli --help | grep -q -- "--onde" || fail "tavro-cli --help"
/usr/bin/tavro-transmissor --help | grep -q -- "--config" || fail "tavro-transmissor --help"
/usr/bin/tavro-sim --help >/dev/null || fail "tavro-sim --help"
WHERE=$(/usr/bin/tavro-cli --onde)
expected="Configuração lida de: /etc/tavro/config.ini
Configuração lida de: $XDG_CONFIG_HOME/tavro/config.ini
Configuração gravada em: $XDG_CONFIG_HOME/tavro/config.ini
Registros do serviço em: $XDG_DATA_HOME/tavro/Tavro"
[ "$WHERE" = "$expected" ] || fail "tavro-cli --onde printed:
$WHERE"
LIST=$(TAVRO_SENHA=tavro2019 /usr/bin/tavro-cli --usuario FARMACIA listar estoque --dia 31/01/2019)
[ "$(echo "$LIST" | wc -l)" -eq 10 ] || fail "listar estoque printed:
$LIST"
[ "$(echo "$LIST" | sed -n 2p | cut -f1,3)" = "$(printf '5023\tBR0268143000016')" ] || fail "listar estoque: $LIST"

echo "== removing the package"
as_root dpkg --purge "$PACKAGE" >"$WORK/dpkg.log" 2>&1 || { cat "$WORK/dpkg.log" >&2; fail "dpkg --purge failed"; }
for path in "${INSTALLED[@]}"; do
    [ ! -e "$path" ] || fail "$path is left after the purge"
done
[ "$(packages)" = "$PACKAGES_BEFORE" ] ||
    fail "the machine's packages differ from before the test"
echo "== install test passed"
