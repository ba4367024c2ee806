# Shared by the shell checks that drive the DLLs and programs under Wine.
# Source it after setting $work (the check's own empty folder):
#   check <description> <command...>  runs the command, counts it, shows the
#                                     tail of its output when it fails
#   win <path>                        the path as Wine's Z: drive sees it
#   checks_done                       prints the counts; fails if any failed
passed=0
failed=0
check() {
    local what="$1"
    shift
    if "$@" >"$work/last.log" 2>&1; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $what"
        sed 's/^/    /' "$work/last.log" | tail -20
    fi
}
win() { printf 'Z:%s' "$1" | sed 's|/|\\|g'; }
checks_done() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
