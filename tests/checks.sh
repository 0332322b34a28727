# Counted checks for the shell tests. Source it, run
#     check DESCRIPTION COMMAND [ARGUMENT...]
# for each check (the description is printed when the command fails), and end
# with checks_done NAME, which prints the counts and fails when a check did.
passed=0
failed=0
check() {
    local what=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $what" >&2
    fi
}
checks_done() {
    echo "$1: $passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
