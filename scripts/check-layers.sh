#!/usr/bin/env bash
# Keeps the layers pointing one way. Each folder may include its own headers
# and those of the folders its row names, nothing else of ours; Qt belongs to
# the Qt designer alone, and the command-line host sees the library only
# through its public headers, as any other host would.
set -u
# complain runs at the end of a pipeline and must set fail in this shell.
shopt -s lastpipe
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

# folder    folders of ours it may include besides itself
table="
platform
model     platform
data      model platform
print     model platform
designer  model data print platform
cli       model data print designer platform
"
ours='platform|model|data|print|designer|cli'
# An include of ours, "model/X.h" or <orvanespt/model/X.h>, up to the folder.
of() { echo "[<\"](orvanespt/)?($1)/"; }
fail=0

# Prints the matching lines and marks the run failed.
complain() {  # message, then the offending lines on stdin
  local lines
  lines=$(cat)
  [ -z "$lines" ] && return 0
  echo "$lines"
  echo "check-layers: $1" >&2
  fail=1
}

# Every #include line of a folder's sources, as "file:line:text".
includes() {
  grep -rnE '^\s*#\s*include\s*[<"]' --include='*.h' --include='*.cpp' "$1" || true
}

while read -r layer allowed; do
  if [ -z "$layer" ] || [ ! -d "$layer" ]; then continue; fi
  permitted="$layer"
  for a in $allowed; do permitted="$permitted|$a"; done
  includes "$layer" | grep -E "$(of "$ours")" | grep -vE "$(of "$permitted")" |
    complain "$layer/ may include of ours only $layer/${allowed:+ and: $allowed}"
done <<< "$table"

# Qt: a <Q...> header, or one of Qt's module folders.
for layer in platform model data print designer cli; do
  [ -d "$layer" ] || continue
  includes "$layer" | grep -E '#\s*include\s*<Q[A-Za-z]*(/|>)' | grep -v '^designer/qt/' |
    complain "Qt headers belong to designer/qt/ only"
done

# A layer's detail/ folder is its own: no other folder of ours includes it
# (tests may, to reach the parts they check).
for layer in platform model data print designer; do
  for other in platform model data print designer cli fuzz bench examples; do
    [ "$other" = "$layer" ] || [ ! -d "$other" ] && continue
    includes "$other" | grep -E "$(of "$layer")([^\">]*/)?detail/" |
      complain "$layer/detail/ belongs to $layer/ alone"
  done
done

# The host's view of the library: public headers only (the install leaves out
# detail/ folders and the Qt designer), and none of the library's own
# dependencies.
if [ -d cli ]; then
  includes cli | grep -E "$(of "$ours")([^\">]*/)?detail/|$(of designer)qt/" |
    complain "cli/ may include the library's public headers only"
  includes cli | grep -E '[<"](pugixml\.hpp|zip\.h|sqlite3\.h|sql\.h|sqlext\.h|xxhash\.h)[>"]' |
    complain "cli/ must not include the library's dependencies (pugixml, libzip, SQLite, ODBC, xxHash)"
fi
exit $fail
