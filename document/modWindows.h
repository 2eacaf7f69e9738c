#pragma once

// Wires the windowing side into the model when the component library loads: the
// message-box prompt, the default printer's name and the outside components that
// the component ships (the filter setting, the function servers). Safe to call again.
void InitializeComponentWindows();
