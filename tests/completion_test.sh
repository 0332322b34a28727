#!/usr/bin/env bash
# The bash completion of korvex, loaded as bash-completion loads it and
# called as bash calls it on Tab: what it offers for each command line
# below. @SUBCOMMANDS@ and @PROTOCOLS@ stand for what the tool's help lists,
# @FILES@ for the names in the current directory.
#
# Usage: completion_test.sh COMPLETION_FILE KORVEX
set -uo pipefail
completion=$1
korvex=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/dir"
touch "$work/a.txt" "$work/b.pcap"

subcommands=$("$korvex" --help | sed -n '/^Subcommands:/,/^$/p' | awk 'NR > 1 && NF { print $1 }' | sort | paste -sd ' ')
protocols=$("$korvex" decode --help | grep -oE 'PROTOCOL TEXT:\{[^}]*\}' | grep -oE '\{.*\}' | tr -d '{}' | tr , '\n' | sort | paste -sd ' ')
files="a.txt b.pcap dir"
passed=0
failed=0
# The words offered for LINE, the cursor at its end; '=' is a word of its own
# as bash splits it.
offered() {
    local line=$1
    (
        cd "$work" || exit 1
        # shellcheck disable=SC1090
        source "$completion" || exit 1
        local spaced=${line//=/ = }
        [[ $line == *' ' ]] || spaced=${spaced% }
        read -ra COMP_WORDS <<<"$spaced"
        [[ $spaced == *' ' ]] && COMP_WORDS+=("")
        COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
        COMP_LINE=$line
        COMP_POINT=${#line}
        COMPREPLY=()
        _korvex korvex "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | sort | paste -sd ' '
    )
}

# command line | the words offered
while IFS='|' read -r line expected; do
    [ -z "$line" ] && continue
    expected=${expected//@SUBCOMMANDS@/$subcommands}
    expected=${expected//@PROTOCOLS@/$protocols}
    expected=${expected//@FILES@/$files}
    got=$(offered "$line")
    if [ "$got" = "$expected" ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: '$line' offers '$got', not '$expected'" >&2
    fi
done <<'CASES'
korvex |@SUBCOMMANDS@
korvex rep|replay report
korvex repo|report
korvex report --protocol |@PROTOCOLS@
korvex --v|--version
korvex --version d|decode
korvex decode |@PROTOCOLS@
korvex decode la|lapd lapf
korvex decode --la|--layer3
korvex decode --flags |
korvex decode --flags 0x82 q|q931
korvex decode --flags=0x82 q|q931
korvex decode lapd |
korvex decode lapd 02 81 |
korvex replay --color |always auto never
korvex replay --color=|always auto never
korvex replay --color=al|always
korvex replay lapd |@FILES@
korvex replay lapd b|b.pcap
korvex replay --detail x|x25
korvex replay lapd a.txt |
korvex pcap --protocol |@PROTOCOLS@
korvex pcap --protocol=e|eth
korvex pcap --protocol x25 --ip |@FILES@
korvex pcap --no-|--no-fcs-fill
korvex convert |@FILES@
korvex convert a.txt |@FILES@
korvex convert a.txt b.pcap |
korvex convert --linktype |
korvex nonsense |
CASES

# The tool's lists themselves, so that an empty help reading fails above.
for word in decode replay pcap convert; do
    [[ " $subcommands " == *" $word "* ]] || { failed=$((failed + 1)); echo "FAILED: no subcommand $word in the help" >&2; }
done
for word in lapd lapf q931 x25; do
    [[ " $protocols " == *" $word "* ]] || { failed=$((failed + 1)); echo "FAILED: no protocol $word in the help" >&2; }
done

echo "completion_test: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
