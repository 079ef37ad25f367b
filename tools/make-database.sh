#!/bin/bash
# make-database.sh OUT.fdb CHARSET SCRIPT...
# Creates a Firebird database file with the embedded engine (no server needed) and
# runs the given SQL scripts in it. An existing OUT is replaced.
set -euo pipefail
out=$1; charset=$2; shift 2
out=$(realpath -m "$out")
mkdir -p "$(dirname "$out")"
rm -f "$out"
{
    echo "set names utf8;"
    echo "create database '$out' user 'SYSDBA' password 'plumtrove' page_size 8192 default character set $charset;"
    cat "$@"
} | isql-fb -q -b -user SYSDBA -password plumtrove
