#!/bin/sh
# Tries the Debian package out as a user would get it: installs it with apt into a fresh
# Debian 12 root (debootstrap into a temporary folder, entered with chroot), runs
# edvara-anon --help, a whole run on a sample database, edvara-sql on an Access sample and
# starts the window; then removes the package and checks that none of its files is left.
# Run as root on a Debian machine, after `cpack -G DEB` in the build folder. Not part of
# CI: it downloads a Debian base system.
#   tools/package/check-package.sh [BUILD_DIR]
# EDVARA_DEBOOTSTRAP_TARBALL may name a tarball of base packages made earlier with
# `debootstrap --make-tarball`, to spare the download.
set -eu

build="${1:-build}"
deb="$(ls "$build"/edvara-anonymisieren_*_amd64.deb 2>/dev/null | tail -n 1)"
[ -n "$deb" ] || { echo "check-package: kein Paket in $build (erst: cd $build && cpack -G DEB)" >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || { echo "check-package: nur als root (debootstrap, chroot)" >&2; exit 2; }
command -v debootstrap >/dev/null || {
  apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends debootstrap
}

root="$(mktemp -d /var/tmp/edvara-paket-XXXXXX)"
cleanup() {
  umount "$root/proc" 2>/dev/null || true
  rm -rf "$root"
}
trap cleanup EXIT

step() { printf '== %s\n' "$*"; }
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }
fail() { echo "check-package: $*" >&2; exit 1; }
# apt in the root, its chatter in a log that is shown when it fails.
apt_in_root() {
  in_root env DEBIAN_FRONTEND=noninteractive apt-get -q "$@" >"$root/tmp/apt.log" 2>&1 ||
    fail "apt-get $*: $(cat "$root/tmp/apt.log")"
}

step "Debian 12 in $root"
if [ -n "${EDVARA_DEBOOTSTRAP_TARBALL:-}" ]; then
  debootstrap --variant=minbase --unpack-tarball="$EDVARA_DEBOOTSTRAP_TARBALL" bookworm "$root" >/dev/null
else
  debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian >/dev/null
fi
# Qt finds its program's folder through /proc; apt needs the host's name service.
mount -t proc proc "$root/proc"
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$deb" "$root/tmp/paket.deb"

step "Paket installieren: $(basename "$deb")"
apt_in_root update
in_root sh -c 'find / -xdev -path /proc -prune -o -print | sort >/tmp/vorher'
apt_in_root install -y --no-install-recommends /tmp/paket.deb
in_root dpkg -L edvara-anonymisieren >"$root/tmp/dateien"

step "edvara-anon --help"
in_root edvara-anon --help >"$root/tmp/hilfe"
grep -q '^Aufruf: edvara-anon' "$root/tmp/hilfe" || fail "edvara-anon --help: $(cat "$root/tmp/hilfe")"
for page in edvara-anon edvara-sql edvara-sample; do
  [ -s "$root/usr/share/man/man1/$page.1.gz" ] || fail "Handbuchseite $page fehlt"
done

step "Ein ganzer Lauf auf einer Beispieldatenbank, aus einem leeren Ordner"
in_root sh -ec '
  mkdir -p /tmp/leer && cd /tmp/leer
  edvara-sample --out /tmp/probe --seed 7 >/dev/null
  vorher=$(edvara-sql /tmp/probe/Edvara.sqlite "select Name, Vorname from Schueler order by ID")
  edvara-anon --seed 1 --directory /tmp/probe/Schulver.mdb /tmp/probe/Edvara.sqlite >/tmp/lauf
  grep -q "^Fertig$" /tmp/lauf
  nachher=$(edvara-sql /tmp/probe/Edvara.sqlite "select Name, Vorname from Schueler order by ID")
  [ "$(printf "%s\n" "$vorher" | wc -l)" -gt 10 ]
  [ "$vorher" != "$nachher" ]
' || fail "der Lauf auf der Beispieldatenbank schlug fehl: $(cat "$root/tmp/lauf" 2>/dev/null)"

step "edvara-sql auf Access-Dateien (ganze Tabelle und andere Anweisungen)"
in_root sh -ec '
  edvara-sample --out /tmp/access --seed 7 --access >/dev/null
  edvara-sql --read-only /tmp/access/Edvara.mdb --tables | grep -qx K_Ort
  [ "$(edvara-sql --read-only /tmp/access/Edvara.mdb "select * from [K_Ort]" | wc -l)" -gt 10 ]
  edvara-sql --read-only /tmp/access/Edvara.mdb "select count(*) as n from K_Ort" | grep -qx n
' || fail "edvara-sql auf der Access-Beispieldatei schlug fehl"

# (It looks for the name lists as edvara-anon above does, from the same code.)
step "Das Fenster startet, aus einem leeren Ordner"
status=0
in_root sh -c 'cd /tmp/leer && QT_QPA_PLATFORM=offscreen timeout 5 edvara-anonymisieren' >/dev/null 2>&1 || status=$?
[ "$status" -eq 124 ] || fail "edvara-anonymisieren endete sofort (Status $status)"

step "Paket entfernen"
apt_in_root purge -y edvara-anonymisieren
apt_in_root autoremove --purge -y
in_root dpkg -s edvara-anonymisieren >/dev/null 2>&1 && fail "das Paket ist noch installiert"
left=""
while IFS= read -r f; do
  [ -e "$root$f" ] || [ -L "$root$f" ] || continue
  # Folders that were there before the package stay.
  grep -qxF "$f" "$root/tmp/vorher" && continue
  left="$left $f"
done <"$root/tmp/dateien"
[ -z "$left" ] || fail "nach dem Entfernen noch da:$left"

echo "check-package: Paket installiert, läuft und lässt sich sauber entfernen."
