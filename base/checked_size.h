// Size arithmetic that reports overflow instead of wrapping. Every size that
// comes from a data file, a console answer or the system goes through these,
// so that an impossible size is refused rather than wrapped into a small one.
#pragma once

// a + b, a - b and a x b into `result`; false, with `result` unusable, when
// the result does not fit its type.
template <class T>
inline bool add_checked(T a, T b, T& result) {
    return !__builtin_add_overflow(a, b, &result);
}
template <class T>
inline bool subtract_checked(T a, T b, T& result) {
    return !__builtin_sub_overflow(a, b, &result);
}
template <class T>
inline bool multiply_checked(T a, T b, T& result) {
    return !__builtin_mul_overflow(a, b, &result);
}
