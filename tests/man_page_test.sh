#!/usr/bin/env bash
# The man page korvex(1) as man shows it: it renders without a warning from
# man or groff, its NAME line is whatis-ready, its footer carries the tool's
# version, and it documents every subcommand the tool lists with its usage
# and every option of each (all read from the tool's own help).
#
# Usage: man_page_test.sh MAN_PAGE KORVEX
set -uo pipefail
page=$1
korvex=$2
source "$(dirname "$0")/checks.sh"

warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
check "man --warnings -l renders $page without a message: $warnings" test -z "$warnings"
# Wide enough that no option is broken across lines.
text=$(MANWIDTH=250 man -l "$page" 2>/dev/null)
check "the NAME line" grep -qE '^ +korvex - [a-z]' <<<"$text"
version=$("$korvex" --version)
check "the footer names $version" grep -qE "^$version  " <<<"$text"

subcommands=$("$korvex" --help | sed -n '/^Subcommands:/,/^$/p' | awk 'NR > 1 && NF { print $1 }')
check "the tool lists subcommands (got: $subcommands)" grep -qx decode <<<"$subcommands"
for sub in $subcommands; do
    help=$("$korvex" "$sub" --help)
    usage=$(sed -n 's/^Usage: //p' <<<"$help")
    # The subcommand's part of the page: from its usage heading to the next heading.
    part=$(awk -v head="   $usage" '$0 == head { on = 1; next } on && /^ {0,3}[^ ]/ { exit } on' <<<"$text")
    check "a part headed by the usage of $sub: $usage" test -n "$part"
    for option in $(grep -oE '^  (-[A-Za-z0-9],)?--[a-z0-9-]+' <<<"$help" | grep -oE -- '--[a-z0-9-]+$'); do
        [ "$option" = --help ] && continue  # told once, under OPTIONS
        check "option $option in the part of $sub" grep -qE -- "^ +(-[A-Za-z0-9], )?$option( |$)" <<<"$part"
    done
done

checks_done man_page_test
