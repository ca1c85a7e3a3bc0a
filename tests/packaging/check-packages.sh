#!/usr/bin/env bash
# Checks the Debian packages that cpack left in PACKAGES: lintian finds no errors in them; the
# launcher, the AppStream file and the service unit pass their validators; unpacked, each package
# holds the files it should and nothing else, and no file names the folder the packages were
# built in.
#
# Usage: check-packages.sh PACKAGES SOURCE-DIR
set -euo pipefail
packages=$1 source_dir=$2

work=$(mktemp -d /tmp/qv-packages-XXXXXX)
trap 'rm -rf "$work"' EXIT
status=0
fail() {
  echo "check-packages: $*" >&2
  status=1
}

declare -A expected=(
  [quorvane]="usr/bin/quorvane usr/lib/quorvane/quorvane-crashbox usr/lib/quorvane/quorvane.zor
    usr/share/applications/quorvane.desktop usr/share/metainfo/example.quorvane.Quorvane.metainfo.xml
    usr/share/man/man1/quorvane.1.gz usr/share/doc/quorvane/copyright usr/share/doc/quorvane/changelog.gz"
  [quorvane-service]="usr/bin/quorvane-service lib/systemd/system/quorvane-service.service
    etc/default/quorvane-service usr/share/man/man1/quorvane-service.1.gz
    usr/share/doc/quorvane-service/copyright usr/share/doc/quorvane-service/changelog.gz"
  [quorvane-tools]="usr/bin/quorvane-get usr/bin/quorvane-skin usr/bin/quorvane-symbols
    usr/bin/quorvane-crashdemo usr/lib/quorvane/quorvane-get.zor usr/lib/quorvane/quorvane-crashdemo.zor
    usr/share/man/man1/quorvane-get.1.gz usr/share/man/man1/quorvane-skin.1.gz
    usr/share/man/man1/quorvane-symbols.1.gz usr/share/man/man1/quorvane-crashdemo.1.gz
    usr/share/doc/quorvane-tools/copyright usr/share/doc/quorvane-tools/changelog.gz"
)

debs=()
for package in quorvane quorvane-service quorvane-tools; do
  found=("$packages/${package}_"*.deb)
  [ ${#found[@]} -eq 1 ] && [ -f "${found[0]}" ] || { fail "expected one $package package in $packages"; continue; }
  debs+=("${found[0]}")
  root=$work/$package
  dpkg-deb -x "${found[0]}" "$root"
  # The icon theme's sizes are the icon generator's business; that they are there is checked here.
  (cd "$root" && find . -type f ! -path './usr/share/icons/hicolor/*/apps/quorvane.png' | sed 's|^\./||' | sort) \
    >"$work/$package.files"
  tr -s ' \n' '\n\n' <<<"${expected[$package]}" | sed '/^$/d' | sort >"$work/$package.expected"
  diff -u "$work/$package.expected" "$work/$package.files" >&2 || fail "$package holds other files than expected"
  if grep -rlF "$source_dir" "$root" >&2; then fail "$package names the folder it was built in"; fi
done
[ -f "$work/quorvane/usr/share/icons/hicolor/256x256/apps/quorvane.png" ] || fail "quorvane lacks its icon"

# Its caches go to the work folder, which goes at the end, not to /tmp, where lintian leaves them.
TMPDIR=$work lintian --fail-on error --tag-display-limit 0 "${debs[@]}" >"$work/lintian.log" 2>&1 ||
  { cat "$work/lintian.log" >&2; fail "lintian found errors"; }
desktop-file-validate "$work/quorvane/usr/share/applications/quorvane.desktop" ||
  fail "desktop-file-validate refused the launcher"
appstreamcli validate --no-net "$work/quorvane/usr/share/metainfo/example.quorvane.Quorvane.metainfo.xml" ||
  fail "appstreamcli refused the metainfo"

# systemd is not running here: the unit is verified in the unpacked root, beside the system's own
# units that it refers to, and its Documentation= against the packaged man page; then again with
# the drop-in that quorvane-service(1) gives for HTTPS and a PostgreSQL password, whose files the
# dynamic user reads as credentials. systemd-analyze ends with 0 after some complaints, so any
# output is a failure.
service_root=$work/quorvane-service
cp -rn /lib/systemd/system/. "$service_root/lib/systemd/system/"
unit=$service_root/lib/systemd/system/quorvane-service.service
verify_unit() {
  if ! MANPATH=$service_root/usr/share/man systemd-analyze verify --root="$service_root" "$unit" \
      >"$work/verify.log" 2>&1 || [ -s "$work/verify.log" ]; then
    cat "$work/verify.log" >&2
    fail "systemd-analyze verify refused the unit $1"
  fi
}
verify_unit "as packaged"
mkdir -p "$service_root/etc/systemd/system/quorvane-service.service.d"
cat >"$service_root/etc/systemd/system/quorvane-service.service.d/override.conf" <<'UNIT'
[Service]
LoadCredential=certificate:/etc/ssl/quorvane/fullchain.pem
LoadCredential=key:/etc/ssl/quorvane/privkey.pem
LoadCredential=pgpass:/etc/quorvane/pgpass
Environment=PGPASSFILE=%d/pgpass
ExecStart=
ExecStart=/usr/bin/quorvane-service --db %S/quorvane-service/quorvane-service.db \
    --tls-cert %d/certificate --tls-key %d/key $QUORVANE_SERVICE_OPTIONS
UNIT
verify_unit "with the drop-in for HTTPS and a database password"

[ $status -eq 0 ] && echo "check-packages: ${#debs[@]} packages passed"
exit $status
