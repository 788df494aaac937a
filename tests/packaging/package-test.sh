#!/usr/bin/env bash
# Packaging test: cpack makes the Debian package from the build; its files and its declared run-time
# dependencies are checked. Usage: package-test.sh BUILD_DIR
set -euo pipefail
build_dir="$1"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

failures=0
fail() {
  echo "package test: $*" >&2
  failures=$((failures + 1))
}

if ! (cd "$build_dir" && cpack -G DEB -B "$scratch" >"$scratch/cpack.log" 2>&1); then
  cat "$scratch/cpack.log" >&2
  exit 1
fi
version="$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build_dir/CPackConfig.cmake")"
deb="$scratch/lumivor_${version}_$(dpkg --print-architecture).deb"
if [ ! -f "$deb" ]; then
  echo "package test: cpack made no $(basename "$deb"):" >&2
  ls "$scratch" >&2
  exit 1
fi

# Files: the programs, every data file of the build's run directory, the desktop entry, the icon, the docs.
listing="$(dpkg-deb -c "$deb" | awk '{print $6}')"
expect_file() { grep -qxF "./usr/$1" <<<"$listing" || fail "the package lacks /usr/$1"; }
for program in lumivor lumivor-convert lumivor-lights; do expect_file "bin/$program"; done
while IFS= read -r data; do
  expect_file "share/lumivor/${data#./}"
done < <(cd "$build_dir/run" && find . -type f ! -name lumivor ! -name Log.txt ! -name '*.png')
expect_file share/applications/lumivor.desktop
expect_file share/icons/hicolor/scalable/apps/lumivor.svg
expect_file share/doc/lumivor/copyright
expect_file share/doc/lumivor/README.md

# Dependencies: the package that holds each library a program links is declared, and no -dev package is.
fields="$(dpkg-deb -f "$deb" Package Architecture Depends)"
depends="$(sed -n 's/^Depends: //p' <<<"$fields")"
grep -qx "Package: lumivor" <<<"$fields" || fail "the package is not named lumivor: $fields"
grep -qx "Architecture: $(dpkg --print-architecture)" <<<"$fields" || fail "the architecture is wrong: $fields"
if grep -qE -- '-dev([ ,|]|$)' <<<"$depends"; then fail "a development package is a dependency: $depends"; fi
dpkg-deb -x "$deb" "$scratch/root"
links=()  # "program library path", one for each library a packaged program links
for program in "$scratch"/root/usr/bin/*; do
  for library in $(objdump -p "$program" | awk '$1 == "NEEDED" {print $2}'); do
    links+=("$(basename "$program") $library $(ldd "$program" | awk -v name="$library" '$1 == name {print $3}')")
  done
done
# One look-up for all libraries (dpkg -S reads its whole database each time), with and without the merged /usr.
queries=()
for link in "${links[@]}"; do
  path="${link##* }"
  if [ "${path:0:1}" = / ]; then queries+=("$path" "/usr$path" "${path#/usr}"); fi
done
owners="$(dpkg -S "${queries[@]}" 2>/dev/null || true)"
for link in "${links[@]}"; do
  read -r program library path <<<"$link"
  package="$(awk -F': ' -v path="$path" '$2 == path || $2 == "/usr" path || "/usr" $2 == path {
    sub(/:.*/, "", $1); print $1; exit }' <<<"$owners")"
  if [ -z "$package" ]; then
    fail "$program links $library ($path), which no installed package holds"
  elif ! tr ' ,|' '\n\n\n' <<<"$depends" | grep -qxF "$package"; then
    fail "$program links $library from $package, which is not among the dependencies: $depends"
  fi
done

if [ "$failures" -ne 0 ]; then exit 1; fi
echo "package test: $(basename "$deb") holds $(grep -c . <<<"$listing") entries; depends on $depends"
