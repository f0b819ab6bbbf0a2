#!/usr/bin/env bash
# The install tree, as a package would lay it out: `cmake --install` into a
# temporary prefix, then the desktop entry and the metainfo validated, both
# manual pages rendered, and the installed kletomer-cli run (its picture
# commands load their module from the installed library folder).
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
share="$prefix/share"
desktop-file-validate "$share/applications/ru.kletomer.Kletomer.desktop" | grep -v ': hint: ' || true
desktop-file-validate "$share/applications/ru.kletomer.Kletomer.desktop" >/dev/null
appstreamcli validate --no-net "$share/metainfo/ru.kletomer.Kletomer.metainfo.xml" >/dev/null
test -s "$share/mime/packages/ru.kletomer.Kletomer.xml"
test -s "$share/icons/hicolor/scalable/apps/ru.kletomer.Kletomer.svg"
for page in kletomer kletomer-cli; do
  text=$(MANWIDTH=80 man -l "$share/man/man1/$page.1.gz" 2>&1)
  grep -q "SEE ALSO" <<<"$text" || { echo "$page.1 does not render"; exit 1; }
done
test -x "$prefix/bin/kletomer"
"$prefix/bin/kletomer-cli" --help >/dev/null
printf '[Options]\r\nHeight=5\r\nWidth=5\r\n[Field]\r\nStr2=; ; ;-\r\n' >"$prefix/p.kvt"
"$prefix/bin/kletomer-cli" generate "$prefix/p.kvt" "$prefix/g.kvt" --seed 1 >/dev/null
"$prefix/bin/kletomer-cli" export "$prefix/g.kvt" "$prefix/g.png" >/dev/null
test -s "$prefix/g.png"
echo "install tree: $(cd "$prefix" && find . -type f | wc -l) files, all checks passed"
