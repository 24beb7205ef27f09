// The accessible side of a combo box of the layer.
#pragma once

class QAccessibleInterface;
class QComboBox;

namespace winapi {

// A combo box as a tool sees it: named by its accessible name (the label
// that introduces it), its value the text in its field, its children the
// list and the edit field, opened and closed with its action.
QAccessibleInterface* createComboBoxAccessible(QComboBox* box);

} // namespace winapi
