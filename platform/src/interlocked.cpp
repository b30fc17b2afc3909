// Interlocked operations on 32-bit counters: sequentially consistent atomic
// read-modify-write. Increment and Decrement return the resulting value;
// Exchange and CompareExchange return the value found before the operation.
#include "simwin/kernel.h"

extern "C" {

LONG WINAPI InterlockedIncrement(LONG volatile* addend) {
    return __atomic_add_fetch(addend, 1, __ATOMIC_SEQ_CST);
}

LONG WINAPI InterlockedDecrement(LONG volatile* addend) {
    return __atomic_sub_fetch(addend, 1, __ATOMIC_SEQ_CST);
}

LONG WINAPI InterlockedExchange(LONG volatile* target, LONG value) {
    return __atomic_exchange_n(target, value, __ATOMIC_SEQ_CST);
}

LONG WINAPI InterlockedCompareExchange(LONG volatile* destination, LONG exchange, LONG comparand) {
    __atomic_compare_exchange_n(destination, &comparand, exchange, false, __ATOMIC_SEQ_CST,
                                __ATOMIC_SEQ_CST);
    // On failure the builtin stored the value found into `comparand`; on
    // success the value found equals `comparand`.
    return comparand;
}

}  // extern "C"
