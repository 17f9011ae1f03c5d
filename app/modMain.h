// The program's start-up procedure.
#pragma once

// Start-up, before any window exists. Returns false when the process should end at once
// (another instance is running, or the camera window could not be made).
bool Main();
