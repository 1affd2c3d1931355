#pragma once

#include <functional>

// Runs `work` on a worker thread while the calling thread keeps its windows painting: a local event
// loop runs until the work ends, and every click and key press that arrives meanwhile is dropped, so
// nothing the user does starts anything while the work waits. What the work throws is thrown here.
// For blocking calls that take no window, such as a login that may wait for its timeout.
void runWhileWindowsPaint(const std::function<void()>& work);
