# Shared by the test scripts that drive the built program from outside its
# process: the simulated drives' tool, the probe, polling, and closing the
# program they started. Sourced once simcd_exe and probe_exe are set; the
# program started in the background goes in pid.
pid=

sim() { wine "$simcd_exe" "$@" 2>/dev/null | tr -d '\r'; }
probe() { wine "$probe_exe" "$@" 2>/dev/null | tr -d '\r'; }

# Polls a command until it succeeds; 10 s at most.
until_ok() {
    local i
    for ((i = 0; i < 50; i++)); do
        "$@" && return 0
        sleep 0.2
    done
    return 1
}

# Closes the program as a user would, or kills it when it does not go.
close_program() {
    if [[ -n $pid ]] && kill -0 "$pid" 2>/dev/null; then
        probe close >/dev/null || kill "$pid"
        wait "$pid" 2>/dev/null
    fi
    pid=
}
