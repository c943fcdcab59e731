#pragma once

// Waits until the event loop has delivered everything posted so far, and what
// that posted in turn, `rounds` deep. Posted events are delivered in order, so
// once a marker posted now has run, everything posted before it has too; the
// window system's events are taken in on the way.
void deliverPostedEvents(int rounds = 5);
