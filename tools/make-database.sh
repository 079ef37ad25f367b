#!/bin/bash
# make-database.sh OUT.fdb CHARSET SCRIPT...
# Creates a Firebird database file with the embedded engine (no server needed) and
# runs the given SQL scripts in it. An existing OUT is replaced.
# CHARSET is the database's default character set (UTF8, WIN1252, ...), or NONE/CODEPAGE for a
# database created without one whose texts are written as the code page's bytes
# (NONE/WIN1252: what the Windows stations of the health product write).
set -euo pipefail
out=$1; charset=$2; shift 2
out=$(realpath -m "$out")
mkdir -p "$(dirname "$out")"
rm -f "$out"
names=utf8
encoding=UTF-8
if [[ $charset == */* ]]; then
    names=${charset#*/}
    charset=${charset%%/*}
    case ${names^^} in
        WIN1252) encoding=CP1252 ;;
        ISO8859_1) encoding=ISO-8859-1 ;;
        UTF8) encoding=UTF-8 ;;
        *) echo "make-database.sh: unknown code page $names" >&2; exit 2 ;;
    esac
fi
script=$(mktemp)
trap 'rm -f "$script"' EXIT
# The scripts are UTF-8; isql-fb reads the texts in the code page of "set names". A file, not
# a pipe: isql-fb drops the bytes of a piped line that are not its terminal's characters.
{
    echo "set names $names;"
    echo "create database '$out' user 'SYSDBA' password 'plumtrove' page_size 8192 default character set $charset;"
    cat "$@"
} | iconv -f UTF-8 -t "$encoding" > "$script"
isql-fb -q -b -user SYSDBA -password plumtrove -i "$script"
