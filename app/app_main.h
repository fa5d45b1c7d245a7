#pragma once

// The application's entry, run by main once the process is set up; its result is the exit code.
int AppMain();
