// A combo box's drop-down sized to show all its items.
#pragma once

#include "controls.h"

// itemCount items, at dpi, with the borders the system draws.
void FitDropDownHeight(CComboBox& combo, int itemCount, int dpi);
