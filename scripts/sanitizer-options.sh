# Sourced by the scripts that run sanitized programs: every report is fatal and says where.
# A caller's own settings come after ours, so they win. llvm-symbolizer names the frames.
if command -v llvm-symbolizer-14 > /dev/null; then
    export ASAN_SYMBOLIZER_PATH="${ASAN_SYMBOLIZER_PATH:-$(command -v llvm-symbolizer-14)}"
    export TSAN_OPTIONS="external_symbolizer_path=$ASAN_SYMBOLIZER_PATH${TSAN_OPTIONS:+:$TSAN_OPTIONS}"
fi
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:strict_init_order=1:abort_on_error=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1${TSAN_OPTIONS:+:$TSAN_OPTIONS}"
