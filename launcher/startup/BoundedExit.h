#pragma once

// Keeps the launcher's end bounded whatever the media back end is doing.
//
// Phonon's GStreamer back end plays in streaming threads of its own. When a
// library gives up on a lost display it calls exit(), on whichever thread
// noticed; the exit handlers then destroy the back end, which waits for a
// lock the launcher's thread holds while that thread waits for the streaming
// thread: the process would never end.
namespace BoundedExit {

// From now on an exit() that is not the launcher's own return ends the
// process at once with the status it was given, without running the exit
// handlers that would tear the back end down. Call once the media back end
// is loaded, so that this check runs before its teardown.
void endAbruptExitsAtOnce();

// The launcher returns by itself: exit handlers run as usual from here on.
void allowOrderlyExit();

// Prepares the deadline below; call once on the launcher's thread.
void prepareDeadline();

// Ends the process with status 0 if it has not ended by itself within
// deadlineMs. Safe to call from a signal handler; later calls do not move
// the deadline.
void armDeadline();

constexpr int deadlineMs = 1500;

} // namespace BoundedExit
