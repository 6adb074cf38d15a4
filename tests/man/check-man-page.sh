#!/usr/bin/env bash
# Keeps orvane's manual page and its help together: every command that
# orvane --help lists has its section in the page, every option and argument
# that orvane CMD --help lists is named in that section, and the page names
# no command or option the program does not have. Then man renders every page
# given without a warning.
#
# Usage: check-man-page.sh ORVANE orvane.1 [MORE.1 ...]
set -euo pipefail
orvane=$1 page=$2
shift
status=0
fail() { echo "check-man-page: $*" >&2; status=1; }

# The page's source as text: \- is -, font changes go.
text=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$page")
# The lines of the section that starts with the given heading line and ends
# at the next heading.
section() { HEAD=$1 awk '/^\.S[SH] /{on = ($0 ~ ENVIRON["HEAD"])} on' <<< "$text"; }
# Options (-o, --output) and argument names (ARCHIVO) that a help text lists.
help_names() {
    awk '/^[^ ].*:$/{part=$0; next}
         part=="Opciones:" && /^  -/{ sub(/^ +/, ""); split($1, names, ","); for (i in names) print names[i] }
         part=="Argumentos:" && /^  [A-Z]/{ print $1 }' <<< "$1"
}
mentions() { grep -Eq -- "(^|[^-[:alnum:]])$1([^-[:alnum:]]|$)" <<< "$2"; }

commands=$("$orvane" --help | awk '/^[^ ].*:$/{part=$0; next} part=="Órdenes:" && /^  [a-z]/{print $1}')
[ -n "$commands" ] || fail "orvane --help lists no command"
for name in $(help_names "$("$orvane" --help)"); do
    mentions "$name" "$(section '^\.SH OPCIONES')" || fail "the general option $name is missing from $page"
done
for command in $commands; do
    body=$(section "^\\.SS \"$command ")
    [ -n "$body" ] || { fail "the command $command has no section in $page"; continue; }
    help=$("$orvane" "$command" --help)
    for name in $(help_names "$help"); do
        [ "$name" = -h ] || [ "$name" = --help ] && continue
        mentions "$name" "$body" || fail "$command: $name is missing from its section in $page"
    done
    for name in $(grep -Eo -- '(^|[ ("])--?[a-z][-a-z]*' <<< "$body" | grep -Eo -- '--?[a-z][-a-z]*' | sort -u); do
        mentions "$name" "$help" || fail "$command: $page names $name, which orvane $command --help does not list"
    done
done
for command in $(grep -Eo '^\.SS "[a-z]+' <<< "$text" | cut -d'"' -f2); do
    grep -qx "$command" <<< "$commands" || fail "$page has a section for $command, which orvane does not have"
done

for file in "$@"; do
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man warns on $file: $warnings"
done
exit $status
