#pragma once

namespace sf {

// SIGPIPE (a write to a pipe or socket whose reader has gone) and SIGXFSZ
// (a write beyond the file-size limit) end a process by default, without a
// word and mid-report. Ignored, the write fails with EPIPE or EFBIG instead,
// and the run shows that error like any other. Every front end calls this
// once at start-up, before it writes anything.
void ignoreFileSignals();

} // namespace sf
