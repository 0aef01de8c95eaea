# Sourced by the scripts that run in timed phases: `phase NAME` starts one (ending the previous),
# and on exit the times of every phase and the total are listed, also when a phase failed.
start=$SECONDS
phase_name=""
phase_start=$SECONDS
timings=()
end_phase() {
    if [ -n "$phase_name" ]; then
        timings+=("$(printf '%5d s  %s' $((SECONDS - phase_start)) "$phase_name")")
    fi
    phase_name=""
}
phase() {
    end_phase
    phase_name=$1
    phase_start=$SECONDS
    printf '\n== %s (%s)\n' "$1" "$(date +%H:%M:%S)"
}
summary() {
    local status=$? result=passed
    [ "$status" = 0 ] || result=FAILED
    end_phase
    printf '\n== phase times\n'
    printf '%s\n' "${timings[@]}"
    printf '%5d s  total, %s\n' $((SECONDS - start)) "$result"
}
trap summary EXIT
