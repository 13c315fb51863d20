// Serving a thread's queue from inside a long operation, so that its windows stay responsive.
#pragma once

namespace corvasin
{

// Removes and dispatches every message waiting in the calling thread's queue. A WM_QUIT found
// there is posted again, so that the thread's own loop still ends.
void DispatchWaitingMessages() noexcept;

} // namespace corvasin
