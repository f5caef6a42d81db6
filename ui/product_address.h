// The vendor's addresses, all on the one host the program is given at start-up (the
// shipped program its configured host, tests a loopback one). Until then there is no
// host, and the addresses lead nowhere.
#pragma once

// host: "name" or "name:port", ASCII. Called before the first window.
void SetProductHost(const char* host);

// The page opened when the user leaves through the exit button (URL 1).
const char* ProductSiteUrl();
// The product-information page shown in the HTML dialog (URL 2).
const wchar_t* ProductInfoUrl();

// The vendor's web site as the About dialog's link shows it: the bare host.
const char* VendorSiteAddress();
// The same site as the link opens it.
const char* VendorSiteUrl();
