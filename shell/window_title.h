#pragma once

// The show's window's title, by which a person's window list and the
// end-to-end tests find it; show-schedule writes it for the tests.
inline constexpr char kWindowTitle[] = "orvel zivuvaruro v1.0b";
