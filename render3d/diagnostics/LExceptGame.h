#pragma once

// The game exception: thrown by the 3D library's fatal-error path after the report has been
// made, and caught by the application entry, which then shuts down in order. It carries no
// data.
class LExceptGame {};
