// Sanitizer settings of the checking build; the environment can still
// override them.
//
// The program never frees what it acquires, so leaks are no finding. A trial
// too large for memory must end with its allocation failure text, not with a
// sanitizer report. A finding must end the run by a signal: status 1 is an
// ordinary refusal through fatal_exit and would hide it.

extern "C" const char* __asan_default_options() {
    return "detect_leaks=0:allocator_may_return_null=1:abort_on_error=1";
}

extern "C" const char* __ubsan_default_options() {
    return "print_stacktrace=1:halt_on_error=1:abort_on_error=1";
}
