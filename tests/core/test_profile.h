// The temporary user profile the core tests run with.
#pragma once

#include <string>

// Holds Korvexpad\Applications; empty before the test environment was set up.
std::string testProfile();
