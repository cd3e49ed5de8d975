#pragma once

// Which renderer draws a page: the portrait one only for a page narrower than it is tall; a square
// page goes to the landscape renderer.
bool UsePortraitRenderer(int width, int height);

// The number of print jobs for a copy-count value: truncated toward zero; below 1 (or not a
// number) none.
int CopyCountFromValue(double value);
