#!/bin/bash
# Each manual page names every option its program's --help lists, and tavro-cli's every verb,
# so a new option cannot go unmentioned in the manual.
# Usage: man_pages_test.sh MAN_SOURCE_FOLDER PROGRAM...
set -euo pipefail
folder=$1
shift
missing=()
for program in "$@"; do
    name=$(basename "$program")
    page="$folder/$name.md"
    help=$("$program" --help)
    # Verbs: the word after the program's name and its bracketed options on the usage lines;
    # each verb's own --help adds its options.
    verbs=$(sed -En "s/^ *$name( \[[^]]*\])* ([a-z][a-z-]+).*/\2/p" <<<"$help" | sort -u)
    for verb in $verbs; do
        help+=$'\n'$("$program" "$verb" --help 2>&1 || true)
    done
    words=$(grep -Eo -- '--[a-z][a-z-]*' <<<"$help" | sort -u)$'\n'$verbs
    for word in $words; do
        grep -Fq -- "**$word**" "$page" || missing+=("$name: $word")
    done
done
if [ ${#missing[@]} -gt 0 ]; then
    printf 'not in the manual page: %s\n' "${missing[@]}" >&2
    exit 1
fi
