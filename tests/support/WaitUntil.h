#pragma once
// Waits for something that sends no word when it happens, such as a server
// that says nothing once it is ready: it is asked again, with a short pause
// growing from 1 ms to 20 ms, until it says yes or the limit has passed.
// The limit is only the bound for what never happens; it is no timing.
// What does send a word (a socket's answer, a child's end) is waited for
// on that instead (TSimProcess).
// Runs on the caller's thread, and so does done.
#include <chrono>
#include <functional>

namespace halvane::test {

// true once done() says so; false when the limit passed first. done is
// asked at least once, even with a limit of zero, and once more at the
// limit, so that a late yes still counts.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

}  // namespace halvane::test
