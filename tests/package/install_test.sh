#!/bin/bash
# The Debian packages as a pharmacy gets them: built by dpkg-buildpackage (./dev package),
# checked by lintian, installed with dpkg, used through the installed programs (the nightly
# unit's own command line run as the unit would run it), and purged again, also when a step
# fails. It refuses to run over installed packages or files it did not make, and checks at the
# end that the machine holds the same packages and no file but what the README says purge keeps.
#
# Usage: install_test.sh BUILD   (BUILD holds the template databases; TAVRO_FB_SERVER names the
# Firebird server, host/port, that serves the test's database copy)
set -euo pipefail
ROOT=$(realpath "$(dirname "$0")/../..")
BUILD=$(realpath "$1")
SERVER=${TAVRO_FB_SERVER:?TAVRO_FB_SERVER names the Firebird server (./dev test starts one)}
DEBS=$BUILD/deb
PACKAGES=(tavro-cli tavro-transmissor tavro-sim)
UNIT=/lib/systemd/system/tavro-sincronizar.service
DATA=/var/lib/tavro
CLERK=tavroteste$$
OURS=(/usr/bin/tavro-transmissor /usr/bin/tavro-cli /usr/bin/tavro-sim /etc/tavro "$DATA" /etc/cron.d/tavro-sincronizar)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}
fail() {
    echo "install test: $*" >&2
    exit 1
}
installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "ok installed"
}
packages() {
    dpkg-query -W -f='${Package} ${Version} ${Status}\n' | grep -v " not-installed$" | sort
}
# Every file of the system's own trees, but for what other programs change meanwhile and the
# backups that account tools leave.
files() {
    as_root find /etc /usr /lib /var/lib /opt -xdev \
        \( -path /var/lib/dpkg -o -path /var/lib/apt -o -path /var/lib/firebird -o -path /var/lib/ucf \
        -o -path /var/lib/man-db -o -path /etc/ld.so.cache \) -prune -o -print 2>/dev/null |
        grep -Ev '^/etc/(passwd|group|shadow|gshadow|subuid|subgid)-?$' | sort
}

for p in "${PACKAGES[@]}"; do
    ! installed "$p" || fail "$p is installed on this machine; remove it (apt-get purge $p) to run this test"
done
for path in "${OURS[@]}"; do
    [ ! -e "$path" ] || fail "$path exists and is not ours to replace"
done
HAD_ACCOUNT=false
getent passwd tavro >/dev/null && HAD_ACCOUNT=true

WORK=$(mktemp -d)
chmod 755 "$WORK"
PACKAGES_BEFORE=$(packages)
FILES_BEFORE=$(files)
SIM_PID=
cleanup() {
    [ -z "$SIM_PID" ] || kill "$SIM_PID" 2>/dev/null || true
    local purge=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -qv "not-installed" && purge+=("$p")
    done
    [ ${#purge[@]} -eq 0 ] || as_root dpkg --purge "${purge[@]}" >/dev/null || true
    # What purge keeps on purpose, made by this test alone.
    getent passwd "$CLERK" >/dev/null && as_root userdel "$CLERK"
    if [ "$HAD_ACCOUNT" = false ] && getent passwd tavro >/dev/null; then
        as_root userdel tavro
        ! getent group tavro >/dev/null || as_root groupdel tavro
    fi
    as_root rm -rf "$DATA" "$WORK"
}
trap cleanup EXIT

echo "== building the packages (./dev package)"
"$ROOT/dev" package
VERSION=$(dpkg-parsechangelog -l "$ROOT/debian/changelog" -S Version)
deb() {
    ls "$DEBS/$1_${VERSION}"_*.deb
}

echo "== lintian"
lintian --fail-on error,warning "$DEBS"/*.deb || fail "lintian found errors or warnings (above)"

# The command line and the substitute pull in no window: no Widgets, Charts, PrintSupport or X plugins.
WINDOW_LIBS='libqt6widgets6|libqt6charts6|libqt6printsupport6|libqt6opengl6|libqt6openglwidgets6|qt6-qpa-plugins'
for p in tavro-cli tavro-sim; do
    depends=$(dpkg-deb -f "$(deb "$p")" Depends)
    ! grep -Eq "$WINDOW_LIBS" <<<"$depends" || fail "$p depends on a window library: $depends"
done
[ "$(dpkg-deb --ctrl-tarfile "$(deb tavro-cli)" | tar -xO ./conffiles)" = "/etc/tavro/config.ini" ] ||
    fail "/etc/tavro/config.ini is not tavro-cli's conffile"

echo "== installing tavro-cli and tavro-sim alone"
as_root dpkg -i "$(deb tavro-cli)" "$(deb tavro-sim)" >"$WORK/dpkg.log" 2>&1 || {
    cat "$WORK/dpkg.log" >&2
    fail "dpkg -i failed"
}
for program in tavro-cli tavro-sim; do
    ! dpkg -L "$program" | grep -Eq 'Widgets|Charts|/platforms/' || fail "$program installs a window library"
    ! ldd "/usr/bin/$program" | grep -Eq 'libQt6(Widgets|Charts|PrintSupport|OpenGL)' ||
        fail "/usr/bin/$program links a window library: $(ldd "/usr/bin/$program")"
done
for program in tavro-sim tavro-cli; do
    [ "$(/usr/bin/$program --version)" = "$program $VERSION" ] || fail "$program --version printed: $(/usr/bin/$program --version)"
done

# The account and its data folder.
[ "$(getent passwd tavro | cut -d: -f6,7)" = "$DATA:/usr/sbin/nologin" ] ||
    fail "the account tavro: $(getent passwd tavro)"
[ "$(stat -c '%U:%G %a' "$DATA")" = "tavro:tavro 2770" ] || fail "$DATA is $(stat -c '%U:%G %a' "$DATA")"

# The site as the README sets it up: the database served by the Firebird server, the service
# (here tavro-sim), the operator's password for the nightly run, a clerk in the group tavro.
cp "$BUILD/testdata/demo-utf8.fdb" "$WORK/demo.fdb"
/usr/bin/tavro-sim --port 0 --usuario farmacia.ws --senha segredo-ws >"$WORK/sim.log" 2>&1 &
SIM_PID=$!
for _ in $(seq 50); do
    grep -q "^listening on" "$WORK/sim.log" && break
    sleep 0.1
done
PORT=$(sed -n 's/^listening on 127.0.0.1://p' "$WORK/sim.log")
[ -n "$PORT" ] || fail "tavro-sim did not start: $(cat "$WORK/sim.log")"
# The administrator uncomments and fills in the keys of the commented sample.
as_root sed -i -e "s|^;DATABASE=.*|DATABASE=$SERVER:$WORK/demo.fdb|" -e "s|^;IBGE=|IBGE=|" \
    -e "s|^;CNESFARMACIA=|CNESFARMACIA=|" -e "s|^;Servidor=.*|Servidor=http://127.0.0.1:$PORT|" /etc/tavro/config.ini
echo tavro2019 | as_root install -m 600 -o tavro -g tavro /dev/stdin /etc/tavro/senha
as_root useradd --no-create-home --home-dir "$WORK/clerk" --groups tavro "$CLERK"
install -d -o "$CLERK" -m 700 "$WORK/clerk"
as_clerk() {
    as_root runuser -u "$CLERK" -- env -i HOME="$WORK/clerk" PATH=/usr/bin:/bin TAVRO_SENHA=tavro2019 "$@"
}

LIST=$(cd "$WORK" && as_clerk /usr/bin/tavro-cli --usuario FARMACIA listar estoque --dia 31/01/2019)
[ "$(echo "$LIST" | wc -l)" -eq 10 ] || fail "listar estoque printed:
$LIST"

echo "== the nightly unit's command, as $UNIT would run it"
unit_value() {
    sed -n "s/^$1=//p" "$UNIT"
}
USER_=$(unit_value User)
GROUP_=$(unit_value Group)
UMASK_=$(unit_value UMask)
STATE=/var/lib/$(unit_value StateDirectory)
STATE_MODE=$(unit_value StateDirectoryMode)
[ -n "$USER_" ] && [ -n "$UMASK_" ] && [ "$STATE" != /var/lib/ ] || fail "the unit lacks User=, UMask= or StateDirectory="
# systemd makes the state folder the user's with the configured mode; the package made it already.
[ "$(stat -c '%U:%G %a' "$STATE")" = "$USER_:${GROUP_:-$USER_} ${STATE_MODE#0}" ] ||
    fail "$STATE is $(stat -c '%U:%G %a' "$STATE"), the unit asks for $USER_:${GROUP_:-$USER_} $STATE_MODE"
# The environment systemd gives a service: the account's, the unit's Environment= and the state folder.
declare -A UNIT_ENV=()
SERVICE_ENV=(HOME="$(getent passwd "$USER_" | cut -d: -f6)" USER="$USER_" LOGNAME="$USER_"
    SHELL="$(getent passwd "$USER_" | cut -d: -f7)" PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
    STATE_DIRECTORY="$STATE")
while read -r assignment; do
    UNIT_ENV[${assignment%%=*}]=${assignment#*=}
    SERVICE_ENV+=("$assignment")
done < <(unit_value Environment)
read -ra COMMAND <<<"$(unit_value ExecStart)"
for i in "${!COMMAND[@]}"; do
    while [[ ${COMMAND[$i]} =~ \$\{([A-Za-z_][A-Za-z0-9_]*)\} ]]; do
        COMMAND[$i]=${COMMAND[$i]//"${BASH_REMATCH[0]}"/"${UNIT_ENV[${BASH_REMATCH[1]}]:-}"}
    done
done
# The unit's confinement as systemd would score it, and then, in a mount namespace of its own,
# the part of it a test without systemd can give: the system read-only but the state folder,
# no home folders, a /tmp of its own, no new privileges and no capabilities.
EXPOSURE=$(systemd-analyze security --offline=true "$UNIT" 2>/dev/null |
    sed -n 's/.*Overall exposure level for [^:]*: \([0-9.]*\).*/\1/p')
echo "   exposure of the unit (systemd-analyze security): ${EXPOSURE:-none}"
awk -v e="${EXPOSURE:-99}" 'BEGIN { exit !(e <= 2.0) }' || fail "the unit's exposure is ${EXPOSURE:-unknown}, over 2.0"
for setting in NoNewPrivileges=yes ProtectSystem=strict ProtectHome=yes PrivateTmp=yes CapabilityBoundingSet=; do
    grep -qx "$setting" "$UNIT" || fail "the unit lacks $setting"
done
status=0
(cd / && umask "$UMASK_" && as_root env -i "${SERVICE_ENV[@]}" unshare --mount --propagation private sh -c '
    mount --bind / / && mount -o remount,bind,ro / &&
    mount --bind "$1" "$1" && mount -o remount,bind,rw "$1" && mount -t tmpfs tmpfs /tmp && mount -t tmpfs tmpfs /var/tmp &&
    mount -t tmpfs tmpfs /home && mount -t tmpfs tmpfs /root && shift && exec "$@"' confined "$STATE" \
    setpriv --reuid="$USER_" --regid="${GROUP_:-$USER_}" --init-groups --no-new-privs --bounding-set=-all \
    --inh-caps=-all -- "${COMMAND[@]}") \
    >"$WORK/unit.out" 2>"$WORK/unit.err" || status=$?
[ "$status" -eq 0 ] || fail "the unit's command exited $status:
$(cat "$WORK/unit.out" "$WORK/unit.err")"
sent=$(echo "select count(*) from TavroProtocolos;" |
    isql-fb -q -user SYSDBA -password plumtrove "$SERVER:$WORK/demo.fdb" | grep -Eo '[0-9]+' | tail -n 1)
[ "${sent:-0}" -gt 0 ] || fail "the nightly run registered no protocol:
$(cat "$WORK/unit.out" "$WORK/unit.err")"
[ -n "$(as_root find "$DATA" -name sincronizar-ultimo.json)" ] || fail "no summary under $DATA"
[ -n "$(as_root find "$DATA" -name '*_req.xml')" ] || fail "no request log under $DATA"
readable=$(as_root find "$DATA" -perm /o=rwx)
[ -z "$readable" ] || fail "other accounts may use: $readable"

# A clerk of the group finds the same folder.
WHERE=$(cd "$WORK" && as_clerk /usr/bin/tavro-cli --onde)
grep -q "$DATA" <<<"$WHERE" || fail "tavro-cli --onde, as a clerk of the group tavro, printed:
$WHERE"

echo "== installing tavro-transmissor"
as_root dpkg -i "$(deb tavro-transmissor)" >"$WORK/dpkg.log" 2>&1 || {
    cat "$WORK/dpkg.log" >&2
    fail "dpkg -i tavro-transmissor failed"
}
[ "$(/usr/bin/tavro-transmissor --version)" = "tavro-transmissor $VERSION" ] || fail "tavro-transmissor --version"
for program in "${PACKAGES[@]}"; do
    man -w "$program" >/dev/null || fail "man -w finds no page for $program"
done
METAINFO=/usr/share/metainfo/example.tavro.transmissor.metainfo.xml
appstreamcli validate --no-net "$METAINFO" >"$WORK/appstream.log" 2>&1 || fail "appstreamcli validate $METAINFO:
$(cat "$WORK/appstream.log")"
# The guide the window opens with F1, named by the desktop entry, with every picture it shows.
GUIDE=$(sed -n 's/^X-DocPath=//p' /usr/share/applications/tavro-transmissor.desktop)
[ "$GUIDE" = /usr/share/doc/tavro-transmissor/ajuda/index.html ] && [ -f "$GUIDE" ] ||
    fail "the desktop entry's X-DocPath ($GUIDE) is not the installed guide"
for picture in $(grep -oh 'imagens/[a-z-]*\.png' "$(dirname "$GUIDE")"/*.html | sort -u); do
    [ -f "$(dirname "$GUIDE")/$picture" ] || fail "the installed guide lacks $picture"
done

echo "== purging"
as_root dpkg --purge "${PACKAGES[@]}" >"$WORK/dpkg.log" 2>&1 || {
    cat "$WORK/dpkg.log" >&2
    fail "dpkg --purge failed"
}
[ "$(packages)" = "$PACKAGES_BEFORE" ] || fail "the machine's packages differ from before the test"
# What stays, as the README says: the account, and the data folder while it holds logs.
getent passwd tavro >/dev/null || fail "purge removed the account tavro"
left=$(comm -13 <(echo "$FILES_BEFORE") <(files) | grep -v "^$DATA\(/\|$\)" || true)
[ -z "$left" ] || fail "purge left: $left"
[ -n "$(as_root find "$DATA" -name '*_req.xml')" ] || fail "purge removed the data folder, which held logs"
# Without logs the folder goes.
as_root find "$DATA" \( -name '*_req.xml' -o -name '*_res.xml' \) -delete
as_root dpkg -i "$(deb tavro-cli)" >"$WORK/dpkg.log" 2>&1 || fail "dpkg -i tavro-cli again: $(cat "$WORK/dpkg.log")"
as_root dpkg --purge tavro-cli >"$WORK/dpkg.log" 2>&1 || fail "dpkg --purge tavro-cli: $(cat "$WORK/dpkg.log")"
[ ! -e "$DATA" ] || fail "purge left $DATA although it held no log"
echo "== install test passed"
