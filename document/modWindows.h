#pragma once

// Wires the windowing side into the model when the component library loads: the
// message-box prompt, the default printer's name and the outside components that
// the component ships (the filter setting, the function servers). Safe to call again.
void InitializeComponentWindows();

#include <QString>
#include <functional>

class QLineEdit;

// A box whose validator refuses a key does not drop it silently: `rule`, read when it
// happens (it may depend on what the box edits then), is shown beside the box.
void ExplainRefusedKeys(QLineEdit* box, std::function<QString()> rule);
