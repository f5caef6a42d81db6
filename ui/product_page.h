// The vendor's product page, shown when the user leaves through the exit button, but
// only if the vendor's site answers.
#pragma once

void ShowProductPage();
