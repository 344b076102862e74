#!/usr/bin/env bash
# Fetches the image test files of four Debian source packages for the
# real-world decoding test (tests/images_realworld.cpp):
#   pillow      Tests/images
#   tiff        test/images
#   libpng1.6   contrib/testpngs
#   giflib      pic
# Each package's files are kept in the cache, in a folder named by the
# package's version, so a new version is fetched once and an old one is never
# fetched again:
#   ${VELLUMARK_REALWORLD_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/vellumark/realworld}/<package>_<version>/
# The file "sets" there lists the folders of the current versions, one a line;
# the test reads it. Nothing is written into the repository.
#
# Needs deb-src entries (scripts/setup.sh adds them) and dpkg-dev.
set -euo pipefail

cache="${VELLUMARK_REALWORLD_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/vellumark/realworld}"
mkdir -p "$cache"

# package and the folder of its source tree that holds the images
SETS=(
  "pillow Tests/images"
  "tiff test/images"
  "libpng1.6 contrib/testpngs"
  "giflib pic"
)

# Fetches version $2 of package $1 and copies its folder $3 to $4; fails
# quietly (the reason on standard error) when the archive does not serve it.
fetch() {
  local package="$1" version="$2" folder="$3" target="$4" work tree
  work="$(mktemp -d "$cache/.work.XXXXXX")"
  if ! (cd "$work" && apt-get source -qq "$package=$version" >/dev/null 2>"$work/log"); then
    grep '^E:' "$work/log" >&2 || true
    rm -rf "$work"
    return 1
  fi
  tree="$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -1)"
  if [ ! -d "$tree/$folder" ]; then
    echo "fetch-realworld-images: ${package}_$version has no folder $folder" >&2
    rm -rf "$work"
    return 1
  fi
  rm -rf "$target"
  mkdir -p "$target"
  cp -a "$tree/$folder/." "$target/"
  touch "$target/.complete"
  rm -rf "$work"
}

sets=()
for entry in "${SETS[@]}"; do
  read -r package folder <<<"$entry"
  # The versions the source lists offer, newest first; an archive that no
  # longer serves the newest (a security update not yet mirrored) falls back
  # to the next.
  versions="$(apt-cache showsrc --only-source "$package" 2>/dev/null | awk '/^Version:/ {print $2}' | sort -u -V -r)"
  if [ -z "$versions" ]; then
    echo "fetch-realworld-images: no source package '$package' (are deb-src entries enabled? run scripts/setup.sh)" >&2
    exit 1
  fi
  found=""
  for version in $versions; do
    target="$cache/${package}_${version#*:}"
    if [ -f "$target/.complete" ]; then
      found="$target"
      break
    fi
    echo "fetch-realworld-images: fetching ${package}_$version"
    if fetch "$package" "$version" "$folder" "$target"; then
      found="$target"
      break
    fi
  done
  if [ -z "$found" ]; then
    echo "fetch-realworld-images: could not fetch any version of $package" >&2
    exit 1
  fi
  sets+=("$found")
done

printf '%s\n' "${sets[@]}" >"$cache/sets.tmp"
mv "$cache/sets.tmp" "$cache/sets"
echo "fetch-realworld-images: $(cat "$cache/sets" | wc -l) sets in $cache"
