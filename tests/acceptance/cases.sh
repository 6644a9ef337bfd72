# What the acceptance scripts share, sourced by them: a failed check ends
# the script, a passed case is counted with the seconds it took; and the
# setup program under test with its library, by the variables PROGRAM,
# LIBRARY and PROGRAM_FILES (batch-mode.sh says how they are used).

fail() {
    echo "FAILED: $*"
    exit 1
}
cases=0
started=$SECONDS
passed() {
    cases=$((cases + 1))
    echo "ok $cases - $1 ($((SECONDS - started)) s)"
    started=$SECONDS
}

# Sets program, library, program_file and files for BIN ($1); exits 77
# (skipped) when the program files are not there (no Windows build).
choose_program() {
    program="${PROGRAM:-./MorvaneSetup}"
    library="${LIBRARY:-Morvane.so}"
    program_file="${program##* }"
    files="${PROGRAM_FILES:-$1}"
    [ -f "$files/$library" ] && [ -f "$files/${program_file#./}" ] || {
        echo "skipped: $files holds no $library and ${program_file#./}"
        exit 77
    }
    # The Linux program runs without a display, as from cron; a program
    # given keeps the environment's (the Windows one needs one under Wine).
    [ -n "${PROGRAM:-}" ] || unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
}
