#pragma once

// Ends the main loop once set; false when the loop starts.
extern bool quitRequested;
