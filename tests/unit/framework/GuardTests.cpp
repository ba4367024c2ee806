// Exceptions stop at the guards: a callback's at its onError value, a
// thread's at its top, where the thread's owner hears of it.

#include <new>
#include <stdexcept>

#include "doctest/doctest.h"
#include "framework/Guard.h"
#include "framework/GuardedThread.h"

using namespace tb;

TEST_CASE("a thread whose work throws ends alone, and its owner hears of it; one that ends well is not told") {
    int failures = 0;
    bool worked = false;
    GuardedThread("test", [&] { worked = true; }, [&] { ++failures; }).join();
    CHECK(worked);
    CHECK(failures == 0);

    GuardedThread("test", [] { throw std::runtime_error("no such thing"); }, [&] { ++failures; }).join();
    CHECK(failures == 1);
    GuardedThread("test", [] { throw std::bad_alloc(); }, [&] { ++failures; }).join();
    CHECK(failures == 2);
    GuardedThread("test", [] { throw 42; }, [&] { ++failures; }).join();
    CHECK(failures == 3);
    // Nor does the owner's own handler end the program when it throws.
    GuardedThread("test", [] { throw 1; }, [&] {
        ++failures;
        throw std::logic_error("while telling");
    }).join();
    CHECK(failures == 4);
    GuardedThread("test", [] { throw 1; }).join();

    CHECK(Guarded("test", 7, [] () -> int { throw std::runtime_error("x"); }) == 7);
    CHECK(Guarded("test", 7, [] { return 3; }) == 3);
}
